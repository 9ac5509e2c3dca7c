// JxConfig: the configuration tool for Tolvar display controllers.
//
//   JxConfig [--connection dialup|direct|tcpip] [--screenshots FOLDER]
//
// --connection preselects the connection kind of the Connect window for this
// run; --screenshots draws each window into PNG files in FOLDER and ends.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <optional>

#include "MainFunctions.h"
#include "Screenshots.h"
#include "shell/CJxConfigApp.h"
#include "shell/MessageBox.h"
#include "shell/views/CMainWindow.h"
#include "shell/views/CQtMessageSink.h"
#include "shell/views/CQtSettingsStore.h"

namespace {
std::string ProgramVersion()
{
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", JXCONFIG_VERSION_MAJOR, JXCONFIG_VERSION_MINOR,
                  JXCONFIG_VERSION_PATCH, JXCONFIG_VERSION_TWEAK);
    return text;
}

std::optional<JxConnectionKind> ConnectionKindNamed(const QString& name)
{
    const QString n = name.toLower();
    if (n == "dialup" || n == "dial-up") return JxConnectionKind::Dialup;
    if (n == "direct") return JxConnectionKind::Direct;
    if (n == "tcpip" || n == "tcp/ip") return JxConnectionKind::TcpIp;
    return std::nullopt;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("JxConfig");
    QApplication::setApplicationVersion(QString::fromStdString(ProgramVersion()));

    QCommandLineParser parser;
    parser.setApplicationDescription("Configuration tool for Tolvar display controllers");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption connection("connection", "Preselect the connection: dialup, direct or tcpip.", "kind");
    QCommandLineOption screenshots("screenshots", "Draw every window into PNG files in <folder> and exit.", "folder");
    parser.addOption(connection);
    parser.addOption(screenshots);
    parser.process(qapp);

    std::optional<JxConnectionKind> kind;
    if (parser.isSet(connection)) {
        kind = ConnectionKindNamed(parser.value(connection));
        if (!kind) {
            std::fprintf(stderr, "JxConfig: --connection takes dialup, direct or tcpip\n");
            return 2;
        }
    }

    CQtMessageSink sink;
    JxSetMessageSink(&sink);
    CQtSettingsStore user(JxUserSettingsPath());
    CQtSettingsStore machine(JxMachineSettingsPath());
    CJxConfigApp app(user, machine);
    if (!app.StartupMessage().empty()) JxShowMessage(JxMessageKind::Critical, app.StartupMessage());
    app.StartUp();
    if (kind) app.saved.connectionKind = *kind;

    if (parser.isSet(screenshots)) {
        const int status = RenderScreenshots(app, ProgramVersion(), parser.value(screenshots));
        JxSetMessageSink(nullptr);
        return status;
    }

    int status = 0;
    {
        CMainWindow window(app, ProgramVersion());
        WireMainFunctions(window);
        window.show();
        status = QApplication::exec();
    }
    app.SaveOnExit();
    JxSetMessageSink(nullptr);
    return status;
}
