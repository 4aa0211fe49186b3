#include "win/accessibility.h"

#include <commctrl.h>

#include <string>

#include "win/apartment.h"
#include "win/failure_boundary.h"

namespace {

// oleacc is loaded from the system folder when a client first asks, never at
// start-up and never from beside the program.
struct OleAcc {
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&LresultFromObject) resultFromObject = nullptr;
    decltype(&SysAllocString) allocString = nullptr;

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
            return f;
        }();
        return functions;
    }
    bool Loaded() const { return createStandard && resultFromObject && allocString; }
};

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The platform's object for the control, with its own name and role where the
// annotation gives them; every other question goes to the platform's object.
class AnnotatedObject final : public IAccessible {
public:
    AnnotatedObject(IAccessible* standard, const AccessibleAnnotation& annotation, const OleAcc& oleacc)
        : standard_(standard), role_(annotation.role), oleacc_(oleacc) {
        if (annotation.name) {
            const int length = MultiByteToWideChar(CP_ACP, 0, annotation.name, -1, nullptr, 0);
            if (length > 1) {
                name_.resize(static_cast<size_t>(length));
                MultiByteToWideChar(CP_ACP, 0, annotation.name, -1, name_.data(), length);
                name_.pop_back();  // the terminating zero
            }
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The window and child enumeration the platform's object offers.
        return standard_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child) || name_.empty()) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = oleacc_.allocString(name_.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || !role_) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }

    // The rest is the platform's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~AnnotatedObject() { standard_->Release(); }

    IAccessible* standard_;
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
    auto* object = new AnnotatedObject(standard, annotation, oleacc);
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
