// Reference-counted objects with interfaces queried by id, and the smart pointer callers use.
//
// An interface is an abstract class derived from IUnknown with a static `kIid`. An object
// implements interfaces by deriving from Object<Self, I1, I2, ...>: it starts with one reference,
// which the creator owns (through ComPtr::Adopt), answers QueryInterface for IUnknown and each Ik
// (and anything OnQueryInterface adds), and deletes itself when the last reference goes. This is
// the one place of the code base that uses raw new and delete: objects cross library boundaries
// only as interface pointers, so their lifetime cannot be tied to one owner's scope.
//
// Interfaces never let a C++ exception out: failures are HResults.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace com {

class IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{00000000-0000-0000-C000-000000000046}");

    // Puts an added reference to the interface `iid` into *out, or nullptr and E_NOINTERFACE.
    virtual HResult QueryInterface(const Guid& iid, void** out) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

// Owns one reference to an interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares `p`: adds a reference.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already owns (a new object, or an out parameter).
    static ComPtr Adopt(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(p_, nullptr); }
    // Releases the held reference and returns a slot for an out parameter.
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    T** Put() {
        Reset();
        return &p_;
    }

    // The same object's interface U, or an empty pointer.
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(U::kIid, out.PutVoid());
        return out;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

// Hands out an added reference to `p` through an out parameter.
template <class T>
HResult ReturnInterface(T* p, void** out) {
    p->AddRef();
    *out = p;
    return S_OK;
}

// Counts the live objects and server locks of one library, for its DllCanUnloadNow.
class ModuleState {
public:
    void ObjectCreated() { ++objects_; }
    void ObjectDestroyed() { --objects_; }
    void Lock(bool lock) { lock ? ++locks_ : --locks_; }
    bool CanUnload() const { return objects_.load() == 0 && locks_.load() == 0; }
    long Objects() const { return objects_.load(); }

private:
    std::atomic<long> objects_{0};
    std::atomic<long> locks_{0};
};

// Keeps a library's ModuleState counting one object for as long as the member lives.
class ModuleObjectRef {
public:
    explicit ModuleObjectRef(ModuleState& state) : state_(state) { state_.ObjectCreated(); }
    ModuleObjectRef(const ModuleObjectRef&) = delete;
    ModuleObjectRef& operator=(const ModuleObjectRef&) = delete;
    ~ModuleObjectRef() { state_.ObjectDestroyed(); }

private:
    ModuleState& state_;
};

template <class Self, class First, class... Rest>
class Object : public First, public Rest... {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HResult QueryInterface(const Guid& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IUnknown::kIid || iid == First::kIid)
            return ReturnInterface(static_cast<First*>(this), out);
        if (((iid == Rest::kIid && ReturnInterface(static_cast<Rest*>(this), out) == S_OK) ||
             ...))
            return S_OK;
        return OnQueryInterface(iid, out);
    }
    std::uint32_t AddRef() override { return ++refs_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --refs_;
        if (left == 0) delete static_cast<Self*>(this);
        return left;
    }

    // Creates an object owned by the returned pointer.
    template <class... Args>
    static ComPtr<Self> Create(Args&&... args) {
        return ComPtr<Self>::Adopt(new Self(std::forward<Args>(args)...));
    }

protected:
    virtual ~Object() = default;
    // More interface ids the object answers (a dispinterface id for its IDispatch, an
    // interface of a member object); E_NOINTERFACE by default.
    virtual HResult OnQueryInterface(const Guid&, void**) { return E_NOINTERFACE; }

private:
    std::atomic<std::uint32_t> refs_{1};
};

}  // namespace com
