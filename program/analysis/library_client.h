#pragma once
// The program's side of the component library: the TxtFile and APIFuns
// objects, created by class identifier and called through their interfaces
// only, with plain C++ text on this side. A call that fails gives the
// neutral result (0, empty text, no element), as the library itself does.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "include/tallyvex/Morcel_TLVX.h"

namespace tlvx::analysis {

// Holds one reference to an interface and gives it back when it goes.
template <class Interface>
class InterfaceRef {
public:
    InterfaceRef() = default;
    explicit InterfaceRef(Interface* adopted) : p_(adopted) {}
    InterfaceRef(InterfaceRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    InterfaceRef& operator=(InterfaceRef&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    InterfaceRef(const InterfaceRef&) = delete;
    InterfaceRef& operator=(const InterfaceRef&) = delete;
    ~InterfaceRef() { reset(); }

    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    Interface* p_ = nullptr;
};

// The text-file object of the library (the program's "ptxf").
class TxtFileClient {
public:
    // nullopt when the library's class cannot be created.
    static std::optional<TxtFileClient> create();

    int32_t GetLineQty(const std::u16string& fileName) const;
    int32_t GetLineNoByFind(const std::u16string& fileName, const std::u16string& findString,
                            bool matchCase) const;
    std::u16string ReadLastLine(const std::u16string& fileName) const;
    void AppendLine(const std::u16string& fileName, const std::u16string& content) const;

private:
    explicit TxtFileClient(_TxtFile* object) : object_(object) {}
    InterfaceRef<_TxtFile> object_;
};

// The API object of the library (the program's "pafs").
class ApiFunsClient {
public:
    static std::optional<ApiFunsClient> create();

    std::u16string ReadIni(const std::u16string& fileName, const std::u16string& segment,
                           const std::u16string& keyName) const;
    std::vector<std::u16string> GetFilesOpenName(int32_t winHandle, const std::u16string& title,
                                                 const std::u16string& filter,
                                                 const std::u16string& defDir = {},
                                                 bool multiSel = false) const;
    std::u16string GetFileSaveName(int32_t winHandle, const std::u16string& title,
                                   const std::u16string& fileName, const std::u16string& filter,
                                   const std::u16string& defDir = {},
                                   const std::u16string& defExt = {}) const;
    void ExecCmd(const std::u16string& command, int32_t winState) const;

private:
    explicit ApiFunsClient(_APIFuns* object) : object_(object) {}
    InterfaceRef<_APIFuns> object_;
};

// The general-functions object of the library, made only when the window's
// texts are relabelled from files (program/ui/relabelling.h).
class GenFunsClient {
public:
    static std::optional<GenFunsClient> create();

    // `target` is a window as an automation object; the files are INI text.
    void SetMenuCaption(IDispatch* target, const std::u16string& menusFile) const;
    void SetTip(IDispatch* target, const std::u16string& tipsFile) const;

private:
    explicit GenFunsClient(_GenFuns* object) : object_(object) {}
    InterfaceRef<_GenFuns> object_;
};

// The library objects the program works with, created in the program's
// order (the API object, then the text-file object) and released in the
// same order.
struct LibraryObjects {
    // nullopt when the component library cannot be loaded.
    static std::optional<LibraryObjects> create();

    // Members go in the reverse order of their declaration: pafs first.
    TxtFileClient ptxf;
    ApiFunsClient pafs;
};

}  // namespace tlvx::analysis
