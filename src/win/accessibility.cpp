#include "win/accessibility.h"

#include <commctrl.h>

#include <initializer_list>
#include <new>
#include <string>
#include <utility>

#include "win/apartment.h"
#include "win/failure_boundary.h"
#include "win/window_text.h"

namespace {

// oleacc is loaded from the system folder when a client first asks, never at
// start-up and never from beside the program.
struct OleAcc {
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&LresultFromObject) resultFromObject = nullptr;
    decltype(&SysAllocString) allocString = nullptr;
    decltype(&LoadRegTypeLib) loadRegisteredTypeLibrary = nullptr;

    static const OleAcc& Get() {
        static const OleAcc functions = [] {
            OleAcc f;
            const HMODULE oleacc = LoadLibraryExA("oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
            const HMODULE oleaut = oleacc ? GetModuleHandleA("oleaut32.dll") : nullptr;
            if (!oleaut) return f;
            f.createStandard = reinterpret_cast<decltype(f.createStandard)>(
                reinterpret_cast<void*>(GetProcAddress(oleacc, "CreateStdAccessibleObject")));
            f.resultFromObject = reinterpret_cast<decltype(f.resultFromObject)>(
                reinterpret_cast<void*>(GetProcAddress(oleacc, "LresultFromObject")));
            f.allocString = reinterpret_cast<decltype(f.allocString)>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "SysAllocString")));
            f.loadRegisteredTypeLibrary = reinterpret_cast<decltype(f.loadRegisteredTypeLibrary)>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "LoadRegTypeLib")));
            return f;
        }();
        return functions;
    }
    bool Loaded() const { return createStandard && resultFromObject && allocString; }
};

// The type library that describes IAccessible, registered by the platform.
constexpr GUID kAccessibilityLibrary = {0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The object itself: CHILDID_SELF, or the argument a client through
// IDispatch left out (an optional argument then arrives as "not found").
bool IsSelf(const VARIANT& child) {
    return (child.vt == VT_I4 && child.lVal == CHILDID_SELF) || child.vt == VT_EMPTY ||
           (child.vt == VT_ERROR && child.scode == DISP_E_PARAMNOTFOUND);
}

// The child as the platform's object takes it: the object itself as
// CHILDID_SELF, which is all the platform's may take for it.
VARIANT Child(const VARIANT& child) {
    if (!IsSelf(child)) return child;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// The platform's object for the control, with its own name and role where the
// annotation gives them. To its clients it is one COM object: every interface
// it hands out is its own, so each leads back to the same IUnknown, and its
// IDispatch runs through the type library's description of IAccessible into
// its own methods, so that a client reading by Invoke hears what the others
// do. The platform's window and enumeration of children are offered through
// interfaces of its own that pass the calls on; nothing else of the
// platform's object goes out (its IMarshal would hand over the platform's
// object in place of this one).
class AnnotatedObject final : public IAccessible, public IOleWindow, public IEnumVARIANT {
public:
    // Takes over the reference to `standard`.
    AnnotatedObject(IAccessible* standard, std::wstring name, LONG role, const OleAcc& oleacc)
        : standard_(standard), name_(std::move(name)), role_(role), oleacc_(oleacc) {
        if (FAILED(standard_->QueryInterface(__uuidof(IOleWindow), reinterpret_cast<void**>(&window_))))
            window_ = nullptr;
        if (FAILED(standard_->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&children_))))
            children_ = nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow) && window_) {
            *out = static_cast<IOleWindow*>(this);
        } else if (iid == __uuidof(IEnumVARIANT) && children_) {
            *out = static_cast<IEnumVARIANT*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child) || name_.empty()) return standard_->get_accName(Child(child), name);
        if (!name) return E_POINTER;
        *name = oleacc_.allocString(name_.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || !role_) return standard_->get_accRole(Child(child), role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = LoadTypes() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (!LoadTypes()) return E_NOTIMPL;
        dispatchType_->AddRef();
        *info = dispatchType_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (iid != GUID{}) return DISP_E_UNKNOWNINTERFACE;
        if (!LoadTypes()) return E_NOTIMPL;
        return vtableType_->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        if (iid != GUID{}) return DISP_E_UNKNOWNINTERFACE;
        if (!LoadTypes()) return E_NOTIMPL;
        return vtableType_->Invoke(static_cast<IAccessible*>(this), id, flags, parameters, result, exception,
                                   argument);
    }

    // The rest is the platform's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(Child(child), object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(Child(child), value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(Child(child), text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(Child(child), state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(Child(child), help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, Child(child), topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(Child(child), shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(Child(child), action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, Child(child));
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, Child(child));
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, Child(start), end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(Child(child));
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(Child(child), name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(Child(child), value);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return window_->GetWindow(window); }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override {
        return window_->ContextSensitiveHelp(enter);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        return children_->Next(count, items, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return children_->Skip(count); }
    HRESULT STDMETHODCALLTYPE Reset() override { return children_->Reset(); }
    // The platform copies the object with its place in the enumeration; the
    // copy is annotated as this one is.
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        IEnumVARIANT* platformCopy = nullptr;
        HRESULT result = children_->Clone(&platformCopy);
        if (FAILED(result)) return result;
        IAccessible* copied = nullptr;
        result = platformCopy->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&copied));
        platformCopy->Release();
        if (FAILED(result)) return result;
        auto* object = new (std::nothrow) AnnotatedObject(copied, name_, role_, oleacc_);
        if (!object) {
            copied->Release();
            return E_OUTOFMEMORY;
        }
        if (!object->children_) {
            object->Release();
            return E_UNEXPECTED;
        }
        *copy = static_cast<IEnumVARIANT*>(object);
        return S_OK;
    }

private:
    ~AnnotatedObject() {
        for (IUnknown* held : std::initializer_list<IUnknown*>{vtableType_, dispatchType_, children_, window_})
            if (held) held->Release();
        standard_->Release();
    }

    // IAccessible's description from the platform's type library, loaded at
    // the first question through IDispatch: the dispatch interface, which a
    // client asking for type information gets, and its vtable part, through
    // which Invoke calls this object's own methods (through the dispatch part
    // the type library's Invoke may call back into this one).
    bool LoadTypes() {
        if (vtableType_) return true;
        if (!dispatchType_) {
            ITypeLib* library = nullptr;
            if (!oleacc_.loadRegisteredTypeLibrary ||
                FAILED(oleacc_.loadRegisteredTypeLibrary(kAccessibilityLibrary, 1, 1, LOCALE_NEUTRAL, &library)))
                return false;
            if (FAILED(library->GetTypeInfoOfGuid(__uuidof(IAccessible), &dispatchType_))) dispatchType_ = nullptr;
            library->Release();
            if (!dispatchType_) return false;
        }
        HREFTYPE vtablePart = 0;  // -1 names the vtable part of a dual interface
        if (FAILED(dispatchType_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtablePart)) ||
            FAILED(dispatchType_->GetRefTypeInfo(vtablePart, &vtableType_)))
            vtableType_ = nullptr;
        return vtableType_ != nullptr;
    }

    IAccessible* standard_;
    IOleWindow* window_ = nullptr;      // the platform's, when it has one
    IEnumVARIANT* children_ = nullptr;  // the platform's, when it has one
    ITypeInfo* dispatchType_ = nullptr;
    ITypeInfo* vtableType_ = nullptr;
    std::wstring name_;
    LONG role_;
    const OleAcc& oleacc_;
    LONG references_ = 1;
};

// The control's answer to a client's request for its accessible object; 0
// (the platform answers) when it cannot make one.
LRESULT AnswerObjectRequest(HWND control, WPARAM flags, const AccessibleAnnotation& annotation) {
    const OleAcc& oleacc = OleAcc::Get();
    // Handing the object over marshals it, which needs an apartment.
    if (!oleacc.Loaded() || !JoinApartmentOnce()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc.createStandard(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))))
        return 0;
    IAccessible* object = new AnnotatedObject(standard, annotation.name ? FromAnsi(annotation.name) : std::wstring(),
                                              annotation.role, oleacc);
    const LRESULT result = oleacc.resultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();
    return result > 0 ? result : 0;
}

LRESULT CALLBACK AnnotatedControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data) {
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        LRESULT answer = 0;
        RunReportingFailures([&] {
            answer = AnswerObjectRequest(control, wParam, *reinterpret_cast<const AccessibleAnnotation*>(data));
        });
        if (answer) return answer;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, AnnotatedControl, id);
    return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void Annotate(HWND control, const AccessibleAnnotation& annotation) {
    SetWindowSubclass(control, AnnotatedControl, 0, reinterpret_cast<DWORD_PTR>(&annotation));
}
