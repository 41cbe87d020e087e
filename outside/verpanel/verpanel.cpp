// The about box: a modal dialog from this library's own template, filled with
// the caller's texts and the caller's icon.
#include "verpanel.h"

#include "verpanel_ids.h"

namespace {

HINSTANCE self = nullptr;

struct Panel {
    HINSTANCE instance;
    int iconid;
    const char* const* texts;
};

const char* text(const Panel& panel, int i) {
    if (!panel.texts || !panel.texts[i]) return "";
    return panel.texts[i];
}

INT_PTR CALLBACK panelproc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_INITDIALOG: {
            const Panel& panel = *reinterpret_cast<const Panel*>(lparam);
            SetWindowTextA(dlg, text(panel, 0));
            SetDlgItemTextA(dlg, VERPANEL_TITLE, text(panel, 0));
            SetDlgItemTextA(dlg, VERPANEL_VERSION, text(panel, 1));
            SetDlgItemTextA(dlg, VERPANEL_NOTICE, text(panel, 2));
            // A shared icon from the program's resources: never destroyed here.
            HICON icon = LoadIconA(panel.instance, MAKEINTRESOURCEA(panel.iconid));
            if (icon)
                SendDlgItemMessageA(dlg, VERPANEL_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon),
                                    0);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(dlg, 1);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dlg, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" VERPANEL_API int VERPANEL_CALL Verpanel(HINSTANCE instance, HWND owner, int iconid,
                                                   const char* const* texts) {
    Panel panel{instance, iconid, texts};
    INT_PTR result = DialogBoxParamA(self, MAKEINTRESOURCEA(VERPANEL_DIALOG), owner, panelproc,
                                     reinterpret_cast<LPARAM>(&panel));
    return result == 1 ? 1 : 0;
}
