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
    if (!frame.isValid())
        return false;
    const QPoint start = frame.center();
    // Relative moves go through XTest as real motion, which both toolkits need to start
    // a drag and to send Xdnd positions; an absolute mousemove only warps the pointer.
    QStringList gesture = {QStringLiteral("mousemove"), QString::number(start.x()),
        QString::number(start.y()), QStringLiteral("sleep"), QStringLiteral("0.2"),
        QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.1")};
    const QPoint delta = target - start;
    const int steps = std::max(4, int(std::ceil(std::hypot(delta.x(), delta.y()) / 30.0)));
    QPoint moved;
    for (int i = 1; i <= steps; ++i) {
        const QPoint next(delta.x() * i / steps, delta.y() * i / steps);
        const QPoint step = next - moved;
        moved = next;
        gesture << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QString::number(step.x())
                << QString::number(step.y()) << QStringLiteral("sleep") << QStringLiteral("0.03");
    }
    // A last small move over the target, then a pause for the Xdnd status round trip.
    gesture << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QStringLiteral("2")
            << QStringLiteral("2") << QStringLiteral("sleep") << QStringLiteral("0.4")
            << QStringLiteral("mouseup") << QStringLiteral("1");
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), gesture);
    // The drop target lives in this process: keep its event loop turning while xdotool plays.
    return TestSupport::waitUntil(
               [&xdotool] { return xdotool.state() == QProcess::NotRunning; }, std::chrono::seconds(30))
        && xdotool.exitCode() == 0;
}

QString DragSourceProcess::output() const
{
    return m_stdout;
}

QStringList DragSourceProcess::relativeSteps(const QPoint &offset)
{
    const int steps = std::max(1, int(std::ceil(std::hypot(offset.x(), offset.y()) / 30.0)));
    QStringList gesture;
    QPoint moved;
    for (int i = 1; i <= steps; ++i) {
        const QPoint next(offset.x() * i / steps, offset.y() * i / steps);
        const QPoint step = next - moved;
        moved = next;
        gesture << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QString::number(step.x())
                << QString::number(step.y()) << QStringLiteral("sleep") << QStringLiteral("0.03");
    }
    return gesture;
}

bool DragSourceProcess::play(const QStringList &gesture)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), gesture);
    return TestSupport::waitUntil(
               [&xdotool] { return xdotool.state() == QProcess::NotRunning; }, std::chrono::seconds(30))
        && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

bool DragSourceProcess::pressAndMove(const QPoint &offset)
{
    const QRect frame = windowGeometry();
    if (!frame.isValid())
        return false;
    const QPoint start = frame.center();
    return play(
        QStringList{QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y()),
            QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mousedown"), QStringLiteral("1"),
            QStringLiteral("sleep"), QStringLiteral("0.1")}
        + relativeSteps(offset));
}

bool DragSourceProcess::moveBy(const QPoint &offset)
{
    return play(relativeSteps(offset));
}

bool DragSourceProcess::release()
{
    return play({QStringLiteral("mouseup"), QStringLiteral("1")});
}
