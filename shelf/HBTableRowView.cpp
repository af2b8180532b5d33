// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBTableRowView.h"

#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "NSColorHelpers.h"

#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPainter>

namespace {

constexpr int pictureExtent = 36;
constexpr int pictureTop = 6;
constexpr int titleMargin = 4;

} // namespace

HBTableRowView::HBTableRowView(QObject *parent)
    : QStyledItemDelegate(parent)
{ }

QColor HBTableRowView::titleColor()
{
    return nv_isLightColor(HBUserDefaults::standardUserDefaults().windowColor())
        ? QColor::fromRgbF(0, 0, 0, 0.9f)
        : QColor(Qt::white);
}

QSize HBTableRowView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    Q_UNUSED(index)
    return {option.rect.width() > 0 ? option.rect.width() : 1, m_rowHeight + m_intercellSpacing};
}

void HBTableRowView::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect row(option.rect.x(), option.rect.y(), option.rect.width(), m_rowHeight);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (option.state & QStyle::State_Selected)
        painter->fillRect(row, selectionColor());

    const QRect picture(
        row.center().x() - pictureExtent / 2 + 1, row.y() + pictureTop, pictureExtent, pictureExtent);
    painter->setOpacity(index.data(HBShelfItemModel::PictureAlphaRole).toDouble());
    const QVariant shown = index.data(HBShelfItemModel::PictureRole);
    if (shown.userType() == QMetaType::QImage) {
        const QImage image = shown.value<QImage>();
        // Scaled to fit, keeping its proportions.
        const QSize fitted = image.size().scaled(picture.size(), Qt::KeepAspectRatio);
        const QRect target(picture.x() + (picture.width() - fitted.width()) / 2,
            picture.y() + (picture.height() - fitted.height()) / 2, fitted.width(), fitted.height());
        painter->drawImage(target, image);
    } else {
        shown.value<QIcon>().paint(painter, picture);
    }
    painter->setOpacity(1);

    QFont font = option.font;
    font.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 0.85 : 8);
    painter->setFont(font);
    painter->setPen(titleColor());
    const QFontMetrics metrics(font);
    const QRect titleRect(row.x() + titleMargin, picture.bottom() + 3, row.width() - 2 * titleMargin,
        row.bottom() - picture.bottom() - 3);
    const QString title
        = metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, titleRect.width());
    painter->drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop, title);
    painter->restore();
}
