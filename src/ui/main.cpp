// The desktop program.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <clocale>
#include <string_view>

#include "ui/_frm_main.h"
#include "ui/plots/PlotCommand.h"

namespace {

// The program's folder when it may be written to, else "Varnodel" in the user's documents.
QString outputFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    if (QFileInfo(program).isWritable()) return program;
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/Varnodel";
    QDir().mkpath(documents);
    return documents;
}

}  // namespace

int main(int argc, char** argv) {
    // `varnodel plot ...` draws without a window: the platform must be chosen before the
    // application connects to a display, so that it runs where there is none.
    const bool plot = argc > 1 && std::string_view(argv[1]) == "plot";
    if (plot) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The command's own messages go to stderr; Qt's notes about the missing desktop
        // (runtime folder, window hints) would only hide them.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg) QTextStream(stderr) << text << '\n';
        });
    }
    QApplication app(argc, argv);
    // Every number the program reads or writes uses the point, whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName("Varnodel");
    QApplication::setApplicationVersion(VARNODEL_VERSION);
    if (plot) {
        QTextStream err(stderr);
        return varnodel::ui::plots::runPlotCommand(QApplication::arguments().mid(2), err);
    }
    varnodel::ui::Tfrm_main window(outputFolder());
    window.show();
    return QApplication::exec();
}
