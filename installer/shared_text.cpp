#include "installer/shared_text.h"

#include <cstring>
#include <new>

#include "platform/storage.h"

namespace installer {

namespace {
constexpr size_t kLongestText = 0x7FFFFFFF;  // the length must fit its 32-bit field
}

SharedTextRepresentation& SharedText::EmptyRepresentation() {
    static SharedTextRepresentation empty{"", 0, 1, 1, 0};
    return empty;
}

SharedText::SharedText() : representation_(&EmptyRepresentation()) { ++representation_->references; }

SharedText::~SharedText() { release(); }

SharedText::SharedText(const SharedText& other) : representation_(other.representation_) {
    ++representation_->references;
}

SharedText& SharedText::operator=(const SharedText& other) {
    ++other.representation_->references;  // first, so that assigning a value to itself keeps it alive
    release();
    representation_ = other.representation_;
    return *this;
}

void SharedText::release() {
    SharedTextRepresentation* representation = representation_;
    if (--representation->references > 0 || representation == &EmptyRepresentation()) return;
    if (representation->oneBlock) {
        platform::ReleaseStorage(representation);
        return;
    }
    if (!representation->constantText) platform::ReleaseStorage(const_cast<char*>(representation->text));
    platform::ReleaseStorage(representation);
}

bool SharedText::Make(const char* text, size_t maxLength, SharedText& out) {
    const size_t length = text ? strnlen(text, maxLength) : 0;
    if (length == 0) {
        out = SharedText();
        return true;
    }
    if (length > kLongestText) return false;
    void* block = platform::AllocateStorage(sizeof(SharedTextRepresentation) + length + 1);
    if (!block) return false;
    char* copy = static_cast<char*>(block) + sizeof(SharedTextRepresentation);
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    auto* representation = new (block) SharedTextRepresentation{copy, static_cast<int32_t>(std::strlen(copy)), 1, 0, 1};
    SharedText made(representation);
    out = made;
    return true;
}

}  // namespace installer
