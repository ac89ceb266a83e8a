#include "engine/window/clipboard/clipboard_images.h"

#include "engine/window/image_export/image_export.h"
#include "engine/window/image_export/map_image_render.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "platform/window_dc.h"

HBITMAP ClipboardBitmapOfSet(HWND window, OBJHANDLE set, int command)
{
    return RenderSetToClipboardBitmap(window, set, command);
}

HGLOBAL ClipboardPictureOfSet(HWND window, OBJHANDLE set, int command)
{
    return RenderSetToClipboardMetafile(window, set, command);
}

bool WriteClipboardBitmapFile(HWND window, const std::string &path, HBITMAP bitmap)
{
    const std::vector<uint8_t> info = MakeBitmapInfo(window, bitmap);
    if (info.empty()) {
        MessageBoxA(GetActiveWindow(), "ERROR CREATE BMP FILE.!\n", "Information !",
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const HDC dc = GetDC(window);
    const int written =
        WriteBitmapFile(window, path.c_str(), reinterpret_cast<const BITMAPINFO *>(info.data()), bitmap, dc);
    if (dc)
        ReleaseDC(window, dc);
    return written != 0;
}
