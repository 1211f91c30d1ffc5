#pragma once
// CInterfacePtr: owns one reference to a COM interface and releases it when
// it goes. Movable, never copyable, like the GDI wrappers.

#include <windows.h>

#include <cstddef>
#include <utility>

template <class T> class CInterfacePtr {
public:
    CInterfacePtr() = default;
    CInterfacePtr(std::nullptr_t) {}
    ~CInterfacePtr() { Release(); }
    CInterfacePtr(const CInterfacePtr&) = delete;
    CInterfacePtr& operator=(const CInterfacePtr&) = delete;
    CInterfacePtr(CInterfacePtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CInterfacePtr& operator=(CInterfacePtr&& other) noexcept {
        if (this != &other) {
            Release();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    // Takes a reference of its own to `p`.
    static CInterfacePtr Share(T* p) {
        CInterfacePtr result;
        result.m_p = p;
        if (p)
            p->AddRef();
        return result;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Output slot for functions that hand out a reference; drops the current one.
    T** Receive() {
        Release();
        return &m_p;
    }
    // Receive() for functions that hand out an untyped interface pointer.
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    void Release() {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(m_p, nullptr); }

    // The interface `riid` of `source` (which may be null).
    HRESULT QueryFrom(IUnknown* source, REFIID riid) {
        Release();
        if (!source)
            return E_NOINTERFACE;
        return source->QueryInterface(riid, ReceiveVoid());
    }

private:
    T* m_p = nullptr;
};
