// tqxctl report: the parameter report as PDF, painted with Qt without a display.

#include "tqxctl_commands.h"

#include "editors/report_content.h"
#include "editors/report_qtcore.h"
#include "files/whole_file.h"

#include <QDateTime>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

std::unique_ptr<QGuiApplication> StartPainting() {
    // Fonts need a GUI application; with no display, Qt's offscreen platform serves,
    // asked for on the application's own command line.
    const bool offscreen = !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
                           !std::getenv("WAYLAND_DISPLAY");
    // The application keeps argc and argv: they outlive it.
    static char name[] = "tqxctl";
    static char platform[] = "-platform";
    static char offscreenName[] = "offscreen";
    static char* argv[] = {name, platform, offscreenName, nullptr};
    static int argc = 0;
    argc = offscreen ? 3 : 1;
    return std::make_unique<QGuiApplication>(argc, argv);
}

int RunReport(TqxctlContext& context, const Operands& operands) {
    if (operands.size() != 2) {
        std::fputs("usage: tqxctl [--port SETTING] report FILE|controller OUT.pdf\n", stderr);
        return 2;
    }
    // Refused before a controller is read for it.
    if (const std::string refusal = CheckWriteTarget(operands[1]); !refusal.empty()) {
        std::fprintf(stderr, "tqxctl: cannot write %s: %s\n", operands[1].c_str(), refusal.c_str());
        return 2;
    }
    ParameterImage image;
    ReportOptions options;
    if (!LoadParameterSource(context, operands[0], image, &options.source))
        return 2;

    const std::unique_ptr<QGuiApplication> app = StartPainting();

    options.created =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();

    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!WriteReportPdf(BuildReport(image, options), image, operands[1], error)) {
        std::fprintf(stderr, "tqxctl: cannot write %s: %s\n", operands[1].c_str(), error.c_str());
        return 2;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("wrote %s (rendered in %.0f ms)\n", operands[1].c_str(), ms);
    return 0;
}
