// TessaryDevKit: the studio.

#include <QApplication>
#include <QGuiApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "studio/app/CStudioApp.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    // No application display name: the main frame sets its whole title, and a display
    // name would be appended to it a second time.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tessary Studio: configure, evaluate and program the Tessary "
                                                    "transceivers.\nWithout a parallel port it runs on a virtual one "
                                                    "(LPTLINK_DRIVER=sim)."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("nosplash"), QStringLiteral("Start without the start-up picture.")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .tsy document to open."));
    parser.process(application);

    // Without a screen nobody can answer a message box: messages go to standard error.
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    tessary::QtMessageSink boxes;
    tessary::StderrMessageSink lines;
    tessary::MessageSink& messages = headless ? static_cast<tessary::MessageSink&>(lines) : boxes;
    tessary::QtFileChooser files;
    tessary::CStudioApp studio(messages, files);
    tessary::CStudioApp::Options options;
    options.splash = !parser.isSet(QStringLiteral("nosplash"));
    if (!parser.positionalArguments().isEmpty()) options.file = parser.positionalArguments().front().toStdString();
    if (!studio.Startup(options)) return 1;

    // For the start-up benchmark: report when the main window is up, then leave.
    if (qEnvironmentVariableIsSet("TESSARY_EXIT_AFTER_SHOW")) {
        QTimer::singleShot(0, &application, [&] {
            std::printf("main window shown after %.3f ms\n", static_cast<double>(sinceStart.nsecsElapsed()) / 1e6);
            std::fflush(stdout);
            QCoreApplication::exit(0);  // without closing windows: nothing is asked
        });
    }
    const int status = application.exec();
    studio.Shutdown();
    return status;
}
