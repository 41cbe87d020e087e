// The one document: `loadimg` replaces it by a picture from a file or from
// the clipboard.
#ifndef PIVOLA_CORE_DOCUMENT_H
#define PIVOLA_CORE_DOCUMENT_H

#include "core/state.h"

namespace pivola {

// The name a pasted picture goes by (title bar, drag-point file proposal).
inline constexpr const char* kClipboardTitle = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞﾃﾞｰﾀ";

// Loads the bitmap file path, or pastes the clipboard's picture when path is
// null. False on failure, with the document left empty (the caller shows the
// message).
bool loadimg(App& app, Port& port, const char* path);

// `pasteimg`: discards the document picture, then reads the clipboard
// (CF_BITMAP first, else CF_DIB) into a new bordered document picture.
bool pasteimg(App& app, Port& port);

// Releases the view buffer (deselecting it from the view surface first, so
// that the bitmap can really be deleted).
void releaseview(App& app, Port& port);

}  // namespace pivola

#endif
