// tlvx-window-grab WINDOW-ID|root FILE.png: saves what an X window (or the
// whole screen) shows as a picture, for the screenshots in the
// documentation and for looking at a failed end-to-end run. Runs on the
// display in DISPLAY.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: tlvx-window-grab WINDOW-ID|root FILE.png\n", stderr);
        return 2;
    }
    // Window ids come from xdotool in decimal; hexadecimal is taken too.
    const bool wholeScreen = std::string(argv[1]) == "root";
    char* end = nullptr;
    const unsigned long window = wholeScreen ? 0 : std::strtoul(argv[1], &end, 0);
    if (!wholeScreen && (end == argv[1] || *end != '\0' || window == 0)) {
        std::fprintf(stderr, "tlvx-window-grab: not a window id: %s\n", argv[1]);
        return 2;
    }
    // The picture is taken from the X server, whatever QT_QPA_PLATFORM says.
    qputenv("QT_QPA_PLATFORM", "xcb");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap picture = screen ? screen->grabWindow(static_cast<WId>(window)) : QPixmap();
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tlvx-window-grab: cannot save window %s to %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
