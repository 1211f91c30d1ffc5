#include "NavigationAddress.h"

#include "TextConversion.h"

std::string NavigationText(const VARIANT* value, UINT codePage) {
    if (!value || value->vt != VT_BSTR)
        return {};
    return BstrToNarrow(value->bstrVal, codePage);
}

bool IsAnsiLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}
