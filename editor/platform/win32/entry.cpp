#include "platform/win32/entry.h"

#include <commctrl.h>

#include <memory>

#include "platform/win32/win32port.h"
#include "shell/dispatch.h"
#include "shell/resource.h"
#include "shell/shell.h"
#include "shell/texts.h"

namespace pivola {

namespace {

constexpr const char* kClassName = "Pivola";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL;

// What the window procedure needs: the program-wide state and the port,
// both owned by runprogram; handed over in CreateWindowExA's parameter.
struct Context {
    App* app;
    Win32Port* port;
};

LRESULT CALLBACK windowproc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* context = reinterpret_cast<Context*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        context = static_cast<Context*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
        context->port->bind(window);
    }
    // The few messages that come before WM_NCCREATE (the first
    // WM_GETMINMAXINFO) find no state yet.
    if (!context) return DefWindowProcA(window, message, wparam, lparam);
    Outcome outcome =
        dispatch(*context->app, *context->port, message, static_cast<std::uintptr_t>(wparam),
                 static_cast<std::intptr_t>(lparam));
    if (outcome.usedefault) return DefWindowProcA(window, message, wparam, lparam);
    return static_cast<LRESULT>(outcome.result);
}

}  // namespace

int runprogram(HINSTANCE instance, const char* commandline) {
    Win32Port port(instance);
    if (!port.claiminstance(kMutexName)) return 0;
    InitCommonControls();

    auto app = std::make_unique<App>();
    app->shell.settingspath = parsecommandline(commandline ? commandline : "");

    WNDCLASSA windowclass{};
    windowclass.style = 0;
    windowclass.lpfnWndProc = windowproc;
    windowclass.hInstance = instance;
    windowclass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PIVOLA));
    windowclass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowclass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowclass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    windowclass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowclass)) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

    Context context{app.get(), &port};
    HWND window = CreateWindowExA(0, kClassName, kProduct, kWindowStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, &context);
    if (!window) {
        port.bind(nullptr);  // the message is owned by the desktop
        port.messagebox(text::windowfailed, kProduct, BoxKind::error);
        return 0;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG message{};
    int code = 0;
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(message.wParam);
            break;
        }
        if (got < 0) break;
        if (!accelerators || !TranslateAcceleratorA(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return code;
}

}  // namespace pivola
