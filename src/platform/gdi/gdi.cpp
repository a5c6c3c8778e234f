#include "platform/gdi/gdi.h"

namespace platform {

Gdi::Gdi() : self_(std::make_shared<Gdi*>(this)) {}

Gdi::~Gdi() = default;

namespace {
// The picture's image and the handles it owns, freed through the layer while the layer lives.
struct OwnedBitmap {
    QImage image;
    std::weak_ptr<Gdi*> gdi;
    HBITMAP bitmap = 0;
    HPALETTE palette = 0;
    bool own = false;

    ~OwnedBitmap()
    {
        const std::shared_ptr<Gdi*> layer = gdi.lock();
        if (!own || !layer) return;
        if (bitmap) (*layer)->DeleteObject(bitmap);
        if (palette) (*layer)->DeleteObject(palette);
    }
};
}  // namespace

int Gdi::OleCreatePictureIndirect(const PICTDESC& desc, InterfaceId, bool own, forms::Picture& picture)
{
    picture = forms::Picture();
    if (desc.cbSizeofstruct != 20 || desc.picType != PICTYPE_BITMAP) return 1;
    auto owner = std::make_shared<OwnedBitmap>();
    owner->image = BitmapImage(desc.hbitmap);
    owner->gdi = self_;
    owner->bitmap = desc.hbitmap;
    owner->palette = desc.hpal;
    owner->own = own;
    const QImage* image = &owner->image;
    picture = forms::Picture(std::shared_ptr<const QImage>(std::move(owner), image));
    return 0;
}

}  // namespace platform
