#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// Each shots_*.cpp file registers the windows it renders. A shot builds its window (or
// opens it), and returns the widget to grab; the runner saves it as <name>.png.
struct ShotContext {
    QString outputDir;
    // Saves `widget` (shown and laid out first) as <name>.png in the output folder.
    std::function<void(QWidget* widget, const QString& name)> save;
};

struct Shot {
    QString name;
    std::function<void(ShotContext&)> run;
};

std::vector<Shot>& ShotRegistry();

struct ShotRegistrar {
    ShotRegistrar(const QString& name, std::function<void(ShotContext&)> run) {
        ShotRegistry().push_back({name, std::move(run)});
    }
};

#define TQX_SHOT_CONCAT2(a, b) a##b
#define TQX_SHOT_CONCAT(a, b) TQX_SHOT_CONCAT2(a, b)
// TQX_SHOT("name") { ... body using `ctx` ... }
#define TQX_SHOT(name)                                                                             \
    static void TQX_SHOT_CONCAT(shot_fn_, __LINE__)(ShotContext & ctx);                            \
    static ShotRegistrar TQX_SHOT_CONCAT(shot_reg_, __LINE__)(                                     \
        QStringLiteral(name), TQX_SHOT_CONCAT(shot_fn_, __LINE__));                                \
    static void TQX_SHOT_CONCAT(shot_fn_, __LINE__)(ShotContext & ctx)
