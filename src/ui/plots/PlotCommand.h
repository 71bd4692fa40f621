// `varnodel plot RESULT.csv... [--x MgO] [--y SiO2,FeO] [--chart NAME] [--size WxH] -o FILE`:
// the window's charts drawn without a window, for batch jobs.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace varnodel::ui::plots {

// `args` are the words after "plot". Returns the exit code: 0 written, 1 a file that cannot be
// read or plotted or an image that cannot be written, 2 a usage error. Needs a QApplication.
int runPlotCommand(const QStringList& args, QTextStream& err);

}  // namespace varnodel::ui::plots
