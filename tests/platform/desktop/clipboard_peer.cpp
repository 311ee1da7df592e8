// Another program on the same X display, for the clipboard tests: it puts
// a text on the clipboard through the library and keeps it there until its
// standard input closes ("put TEXT"), or reads the clipboard through the
// library and prints what it found ("get"). Texts are UTF-8 on the command
// line and the output.

#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QString>

#include <cstdio>
#include <cstring>
#include <string>

#include "Morcel_TLVX.h"

namespace {

_APIFuns* createApi() {
    void* object = nullptr;
    if (CoCreateInstance(CLSID_APIFuns, nullptr, CLSCTX_INPROC_SERVER, IID__APIFuns, &object) !=
        S_OK)
        return nullptr;
    return static_cast<_APIFuns*>(object);
}

int put(QApplication& app, _APIFuns* api, const char* utf8) {
    const QString text = QString::fromUtf8(utf8);
    BSTR value = SysAllocStringLen(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<UINT>(text.size()));
    const HRESULT hr = api->SetClipboardText(value);
    SysFreeString(value);
    if (FAILED(hr)) return 1;
    std::puts("ready");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
    });
    return app.exec();
}

int get(_APIFuns* api) {
    BSTR value = nullptr;
    if (FAILED(api->GetClipboardText(&value))) return 1;
    const QString text = QString::fromUtf16(value, SysStringLen(value));
    SysFreeString(value);
    std::printf("%s\n", text.toUtf8().constData());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    _APIFuns* api = createApi();
    if (!api) return 2;
    int status = 2;
    if (argc == 3 && std::strcmp(argv[1], "put") == 0) status = put(app, api, argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "get") == 0) status = get(api);
    api->Release();
    return status;
}
