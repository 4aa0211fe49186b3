#include "win/apartment.h"

#include <objbase.h>

bool JoinApartmentOnce() {
    static const struct Apartment {
        HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ~Apartment() {
            if (SUCCEEDED(joined)) CoUninitialize();
        }
    } apartment;
    return SUCCEEDED(apartment.joined) || apartment.joined == RPC_E_CHANGED_MODE;
}
