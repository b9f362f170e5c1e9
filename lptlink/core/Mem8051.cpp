// The 8051 program-memory image: bytes, page flags and the list of spans that hold data.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lptlink/core/Mem8051Internal.h"
#include "lptlink/lptlink.h"

#define LPTLINK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr unsigned kImageSize = 0x20000;

[[noreturn]] void NullArgument(const char* function, const char* argument) {
    std::fprintf(stderr, "lptlink: %s called with a null %s\n", function, argument);
    std::abort();
}

int FlagCount(const Mem8051* m) { return 1 << (16 - m->pageShift); }

// Reduces an address to 16 bits and cuts the length at the end of the image; false
// when nothing is left.
bool Clip(int& address, int& length) {
    address &= 0xFFFF;
    if (length <= 0) return false;
    if (static_cast<unsigned>(address) + static_cast<unsigned>(length) > kImageSize)
        length = static_cast<int>(kImageSize - static_cast<unsigned>(address));
    return length > 0;
}

void Unlink(Mem8051Span* previous) {
    Mem8051Span* gone = previous->next;
    previous->next = gone->next;
    std::free(gone);
}

Mem8051Span* NewSpan(unsigned first, unsigned last, Mem8051Span* next) {
    auto* s = static_cast<Mem8051Span*>(std::malloc(sizeof(Mem8051Span)));
    if (!s) {
        std::fprintf(stderr, "lptlink: out of memory for a span\n");
        std::abort();
    }
    s->first = first;
    s->last = last;
    s->next = next;
    return s;
}

void AddRange(Mem8051* m, unsigned first, unsigned last) {
    Mem8051Span* previous = &m->spans;
    bool contained = false;
    while (Mem8051Span* s = previous->next) {
        if (s->first <= first && s->last >= last) {
            contained = true;
            break;
        }
        if (s->first >= first && s->last <= last) {
            Unlink(previous);
        } else if (s->first > first && s->first <= last + 1 && s->last > last) {
            last = s->last;
            Unlink(previous);
        } else if (s->first < first && s->last + 1 >= first) {
            first = s->first;
            Unlink(previous);
        } else {
            previous = s;
        }
    }
    if (!contained) {
        previous = &m->spans;
        while (previous->next && previous->next->first < first) previous = previous->next;
        previous->next = NewSpan(first, last, previous->next);
    }
    for (Mem8051Span* s = m->spans.next; s && s->next;) {
        if (s->last + 1 == s->next->first) {
            s->last = s->next->last;
            Unlink(s);
        } else {
            s = s->next;
        }
    }
}

void DeleteRange(Mem8051* m, unsigned first, unsigned last) {
    Mem8051Span* previous = &m->spans;
    while (Mem8051Span* s = previous->next) {
        if (s->last < first || s->first > last) {
            previous = s;
        } else if (s->first >= first && s->last <= last) {
            Unlink(previous);
        } else if (s->first >= first) {  // starts inside, ends after
            s->first = last + 1;
            previous = s;
        } else if (s->last <= last) {  // starts before, ends inside
            s->last = first - 1;
            previous = s;
        } else {  // around the range: split
            s->next = NewSpan(last + 1, s->last, s->next);
            s->last = first - 1;
            previous = s->next;
        }
    }
}

}  // namespace

void lptlinkMarkPage(Mem8051* m, unsigned address) {
    const unsigned page = address >> m->pageShift;
    if (!m->pageFlags || page >= static_cast<unsigned>(FlagCount(m))) return;
    if (!m->pageFlags[page]) {
        m->pageFlags[page] = 1;
        ++m->usedPageCount;
    }
}

LPTLINK_EXPORT Mem8051* Mem8051Init(Mem8051* mem, int pageShift) {
    if (!mem) return nullptr;
    std::memset(mem->image, 0xFF, sizeof mem->image);
    mem->pageShift = pageShift < 0 ? 0 : (pageShift > 16 ? 16 : pageShift);
    mem->pageFlags = static_cast<int*>(std::calloc(static_cast<std::size_t>(FlagCount(mem)), sizeof(int)));
    mem->usedPageCount = 0;
    mem->spans.first = mem->spans.last = 0;
    mem->spans.next = nullptr;
    return mem;
}

LPTLINK_EXPORT Mem8051* Mem8051Destroy(Mem8051* mem) {
    if (!mem) return nullptr;
    std::free(mem->pageFlags);
    mem->pageFlags = nullptr;
    mem->usedPageCount = 0;
    std::memset(mem->image, 0xFF, sizeof mem->image);
    DeleteRange(mem, 0, kImageSize - 1);
    return mem;
}

LPTLINK_EXPORT Mem8051* Mem8051AddSpan(Mem8051* mem, int address, int length) {
    if (!mem) NullArgument("Mem8051AddSpan", "mem");
    if (Clip(address, length))
        AddRange(mem, static_cast<unsigned>(address), static_cast<unsigned>(address + length - 1));
    return mem;
}

LPTLINK_EXPORT Mem8051* Mem8051DeleteSpan(Mem8051* mem, int address, int length) {
    if (!mem) NullArgument("Mem8051DeleteSpan", "mem");
    if (Clip(address, length))
        DeleteRange(mem, static_cast<unsigned>(address), static_cast<unsigned>(address + length - 1));
    return mem;
}

LPTLINK_EXPORT Mem8051* lptlinkWriteTo8051Mem(Mem8051* mem, const void* source, int address, int length) {
    if (!mem) NullArgument("lptlinkWriteTo8051Mem", "mem");
    if (!source) NullArgument("lptlinkWriteTo8051Mem", "buffer");
    if (!Clip(address, length)) return mem;
    std::memcpy(mem->image + address, source, static_cast<std::size_t>(length));
    Mem8051AddSpan(mem, address, length);
    const unsigned last = static_cast<unsigned>(address + length - 1);
    for (unsigned page = static_cast<unsigned>(address) >> mem->pageShift; page <= last >> mem->pageShift; ++page)
        lptlinkMarkPage(mem, page << mem->pageShift);
    return mem;
}

LPTLINK_EXPORT void* lptlinkReadFrom8051Mem(Mem8051* mem, void* destination, int address, int length) {
    if (!mem) NullArgument("lptlinkReadFrom8051Mem", "mem");
    if (!destination) NullArgument("lptlinkReadFrom8051Mem", "buffer");
    if (Clip(address, length)) std::memcpy(destination, mem->image + address, static_cast<std::size_t>(length));
    return destination;
}
