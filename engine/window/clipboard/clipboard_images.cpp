#include "engine/window/clipboard/clipboard_images.h"

#include "platform/gdi_objects.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <QImage>

// The renderers of the map's images are not part of the engine yet: no
// picture is made, and the request renders nothing.
HBITMAP ClipboardBitmapOfSet(HWND, OBJHANDLE, int) { return 0; }

HGLOBAL ClipboardPictureOfSet(HWND, OBJHANDLE, int) { return 0; }

bool WriteClipboardBitmapFile(HWND, const std::string &path, HBITMAP bitmap)
{
    const QImage image = GetBitmapImage(bitmap);
    if (!image.isNull() &&
        image.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(path), "BMP"))
        return true;
    MessageBoxA(GetActiveWindow(), "ERROR CREATE BMP FILE.!\n", "Information !", MB_OK | MB_ICONEXCLAMATION);
    return false;
}
