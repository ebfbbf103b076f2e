// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"
#include "ekf.h"
#include "fonts.h"
#include "qt_platform.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <cstdio>
#include <unistd.h>

// Start-up as the user sees it: the process is timed from outside, and it ends the
// moment its window has been exposed and painted for the first time.
//
//   ek-bench-start ek     what src/app/main.cpp does, up to the main window shown
//   ek-bench-start bare   a bare QApplication with an empty QWidget, the floor
namespace {

QWidget* g_watched = nullptr;

void quitIfShown()
{
    if (g_watched && g_watched->windowHandle() && g_watched->windowHandle()->isExposed()) {
        std::fflush(stdout);
        // Tearing down is not part of starting up.
        _exit(0);
    }
}

// The expose is handled, and the window painted, before a zero timer fires.
class ExposeWatcher : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && watched->isWindowType())
            QTimer::singleShot(0, &quitIfShown);
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool bare = argc == 2 && QByteArray(argv[1]) == "bare";
    if (argc != 2 || (!bare && QByteArray(argv[1]) != "ek")) {
        std::fputs("usage: ek-bench-start ek | bare\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    ExposeWatcher watcher;
    app.installEventFilter(&watcher);
    if (bare) {
        QWidget w;
        g_watched = &w;
        w.show();
        QTimer::singleShot(0, &quitIfShown);
        return QApplication::exec();
    }

    // The same steps as src/app/main.cpp.
    setUpApplication();

    QtPlatform platform(kProgramName);
    Ekb module;
    const std::unique_ptr<Ekf> window = Main(platform, module, QApplication::applicationDirPath());
    g_watched = window.get();
    QTimer::singleShot(0, &quitIfShown);
    return QApplication::exec();
}
