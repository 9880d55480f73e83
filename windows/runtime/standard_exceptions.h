// The standard exception classes the plug-in throws and the stand-in host catches, declared here
// because the build has no C++ library. The layout and the order of the virtual operations are
// those of Microsoft's library, and the names are in namespace std, so a host built with
// Microsoft's compiler catches what the plug-in throws: the handler matches types by their
// decorated names.
#pragma once

namespace std {

class exception {
public:
    exception() noexcept : text_("Unknown exception"), ownsText_(false) {}
    explicit exception(const char* text) noexcept : text_(text), ownsText_(false) {}
    exception(const exception&) noexcept = default;
    exception& operator=(const exception&) noexcept = default;
    virtual ~exception() noexcept;
    virtual const char* what() const noexcept;

private:
    const char* text_;
    [[maybe_unused]] bool
        ownsText_; // Microsoft's library keeps a flag for copied texts; always false here
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation") {}
};

} // namespace std
