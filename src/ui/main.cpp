// The desktop program.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <clocale>

#include "ui/_frm_main.h"

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
    QApplication app(argc, argv);
    // Every number the program reads or writes uses the point, whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName("Varnodel");
    QApplication::setApplicationVersion(VARNODEL_VERSION);
    varnodel::ui::Tfrm_main window(outputFolder());
    window.show();
    return QApplication::exec();
}
