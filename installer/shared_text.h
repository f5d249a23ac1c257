// SharedText: the module's small reference-counted text value. Several values may share one representation; a
// non-empty text costs exactly one block of storage (the representation and its bytes together), and every empty
// text shares one constant representation that is never freed.
#pragma once

#include "platform/types.h"

namespace installer {

struct SharedTextRepresentation {
    const char* text;     // zero-terminated; never null
    int32_t length;       // bytes before the terminating zero
    int32_t references;   // 1 when made
    uint8_t constantText; // 1: text is constant storage that is never freed
    uint8_t oneBlock;     // 1: the representation and its text were obtained as one block
};

class SharedText {
public:
    // The empty text.
    SharedText();
    ~SharedText();
    SharedText(const SharedText& other);
    SharedText& operator=(const SharedText& other);

    // Makes `out` hold a copy of `text` up to its terminating zero, reading at most `maxLength` bytes. A null or
    // empty text gives the shared empty representation. False, with `out` unchanged, when the storage for the
    // copy cannot be obtained.
    static bool Make(const char* text, size_t maxLength, SharedText& out);

    const char* c_str() const { return representation_->text; }
    const SharedTextRepresentation& representation() const { return *representation_; }

    // The representation every empty text shares. It holds one reference of its own, so it is never freed.
    static SharedTextRepresentation& EmptyRepresentation();

private:
    explicit SharedText(SharedTextRepresentation* adopted) : representation_(adopted) {}
    void release();

    SharedTextRepresentation* representation_;
};

}  // namespace installer
