// SPDX-License-Identifier: GPL-3.0-or-later
#include "DragSourceProcess.h"

#include "TestSupport.h"

#include <QRegularExpression>

#include <cmath>

namespace {

QString runXdotool(const QStringList &arguments)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForFinished(30000))
        return {};
    return QString::fromLocal8Bit(xdotool.readAllStandardOutput());
}

} // namespace

DragSourceProcess::~DragSourceProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool DragSourceProcess::start(Toolkit toolkit, const QStringList &options)
{
    const QString program = toolkit == Toolkit::Qt ? QStringLiteral(KELVORA_QT_DRAG_SOURCE)
                                                   : QStringLiteral(KELVORA_GTK_DRAG_SOURCE);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
        [this] { m_stdout += QString::fromLocal8Bit(m_process.readAllStandardOutput()); });
    // The source's own diagnostics go to the test's log.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, options);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start ") + program;
        return false;
    }
    static const QRegularExpression windowLine(QStringLiteral(R"(window (\d+))"));
    const bool shown = TestSupport::waitUntil(
        [this] { return windowLine.match(m_stdout).hasMatch() || m_process.state() == QProcess::NotRunning; },
        std::chrono::seconds(15));
    const auto match = windowLine.match(m_stdout);
    if (!shown || !match.hasMatch()) {
        m_error = QStringLiteral("no window from ") + program;
        return false;
    }
    m_window = match.captured(1).toULongLong();
    // The window manager maps the window a moment after the program asked for it.
    return TestSupport::waitUntil([this] { return windowGeometry().isValid(); }, std::chrono::seconds(10));
}

QRect DragSourceProcess::windowGeometry() const
{
    const QString shell = runXdotool(
        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(m_window)});
    QRect rect;
    for (const QString &line : shell.split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq);
        const int value = line.mid(eq + 1).toInt();
        if (key == u"X")
            rect.moveLeft(value);
        else if (key == u"Y")
            rect.moveTop(value);
        else if (key == u"WIDTH")
            rect.setWidth(value);
        else if (key == u"HEIGHT")
            rect.setHeight(value);
    }
    return rect.width() > 0 ? rect : QRect();
}

bool DragSourceProcess::dragTo(const QPoint &target)
{
    const QRect frame = windowGeometry();
    return frame.isValid() && TestSupport::playXdotool(TestSupport::dragGesture(frame.center(), target));
}

QString DragSourceProcess::output() const
{
    return m_stdout;
}

bool DragSourceProcess::pressAndMove(const QPoint &offset)
{
    const QRect frame = windowGeometry();
    if (!frame.isValid())
        return false;
    const QPoint start = frame.center();
    return TestSupport::playXdotool(
        QStringList{QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y()),
            QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mousedown"), QStringLiteral("1"),
            QStringLiteral("sleep"), QStringLiteral("0.1")}
        + TestSupport::relativeMoves(offset));
}

bool DragSourceProcess::moveBy(const QPoint &offset)
{
    return TestSupport::playXdotool(TestSupport::relativeMoves(offset));
}

bool DragSourceProcess::release()
{
    return TestSupport::playXdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
}
