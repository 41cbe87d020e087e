/*
 * verpanel — the about-box library that the editor links at load time.
 *
 * Verpanel shows a small modal about box owned by owner: the caption and
 * the first line are texts[0] (the title), then texts[1] (the version text)
 * and texts[2] (a notice line), with the icon resource iconid of the
 * calling program's instance, and an OK button. It returns when the box is
 * closed: 1 for OK (or Esc, or the close box), 0 when the box could not be
 * shown. A null texts table or null entries show as empty lines.
 */
#ifndef VERPANEL_H
#define VERPANEL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef VERPANEL_BUILDING
#define VERPANEL_API __declspec(dllexport)
#else
#define VERPANEL_API __declspec(dllimport)
#endif
#if defined(__i386__)
#define VERPANEL_CALL __cdecl
#else
#define VERPANEL_CALL
#endif

VERPANEL_API int VERPANEL_CALL Verpanel(HINSTANCE instance, HWND owner, int iconid,
                                        const char* const* texts);

#ifdef __cplusplus
}
#endif

#endif /* VERPANEL_H */
