// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBBlacklistedApp.h"

#include "HBPaths.h"

#include <QFile>

const QString HBBlacklistedApp::nameKey = QStringLiteral("name");
const QString HBBlacklistedApp::bundleKey = QStringLiteral("bundle");
const QString HBBlacklistedApp::iconPathKey = QStringLiteral("iconPath");

HBBlacklistedAppPtr HBBlacklistedApp::appWithName(
    const QString &name, const QString &bundle, const QImage &icon)
{
    auto app = std::make_shared<HBBlacklistedApp>();
    app->m_name = name;
    app->m_bundle = bundle;
    app->m_icon = icon;
    app->saveIcon();
    return app;
}

HBBlacklistedAppPtr HBBlacklistedApp::appWithDictionary(const QVariant &record)
{
    auto app = std::make_shared<HBBlacklistedApp>();
    if (!record.canConvert<QVariantMap>())
        return app;
    const QVariantMap values = record.toMap();
    const auto text = [&](const QString &key) -> QString {
        const QVariant value = values.value(key);
        return value.canConvert<QString>() ? value.toString() : QString();
    };
    app->m_name = text(nameKey);
    app->m_bundle = text(bundleKey);
    app->m_iconPath = text(iconPathKey);
    // Unreadable or missing files leave the entry without a picture; it still counts.
    if (!app->m_iconPath.isEmpty())
        app->m_icon = QImage(app->m_iconPath);
    return app;
}

void HBBlacklistedApp::saveIcon()
{
    const QString path = iconFileForBundle(m_bundle);
    QFile::remove(path);
    // Failures leave no file; the entry keeps its place without a picture.
    m_icon.save(path, "PNG");
    m_iconPath = path;
}

QVariantMap HBBlacklistedApp::dictionaryValue() const
{
    // QString() and QString("") differ inside a QVariant; stored records carry "" for
    // anything missing, so that each of the three keys always holds a string.
    const auto text = [](const QString &value) { return value.isNull() ? QStringLiteral("") : value; };
    return {{nameKey, text(m_name)}, {bundleKey, text(m_bundle)}, {iconPathKey, text(m_iconPath)}};
}

QString HBBlacklistedApp::iconFileForBundle(const QString &bundle)
{
    QString fileName;
    if (bundle.isEmpty()) {
        // No encoded identifier is a lone '%', since every '%' of one starts an escape.
        fileName = QStringLiteral("%");
    } else {
        for (qsizetype i = 0; i < bundle.size(); ++i) {
            const QChar c = bundle.at(i);
            if (c == u'%')
                fileName += QStringLiteral("%25");
            else if (c == u'/')
                fileName += QStringLiteral("%2F");
            else if (c == QChar(0))
                fileName += QStringLiteral("%00");
            else if (c == u'.' && i == 0)
                fileName += QStringLiteral("%2E");
            else
                fileName += c;
        }
    }
    return HBPaths::appIconsDirectory() + u'/' + fileName + QStringLiteral(".png");
}
