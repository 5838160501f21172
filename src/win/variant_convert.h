// host::Variant to VARIANT and back, with the runtime's rules, and COM's
// arrays to host::ParamArray.
//
// Reading a VARIANT (references followed, to any depth):
//   VT_EMPTY, VT_NULL            Empty, Null
//   VT_BOOL                      a Boolean (any non-zero is True)
//   VT_I1 .. VT_UI8, VT_INT ...  a whole number; a VT_UI8 above the largest
//                                whole number raises 6 (overflow)
//   VT_R4, VT_R8, VT_CY, VT_DECIMAL  a decimal number
//   VT_DATE                      its text as CStr gives it in Italy:
//                                "dd/mm/yyyy", "dd/mm/yyyy HH:NN:SS", or
//                                "HH:NN:SS" for a time alone (the core keeps
//                                dates as text)
//   VT_BSTR                      UTF-8 text (embedded NULs kept)
//   VT_DISPATCH, VT_UNKNOWN      a ComObject of late_bound.h (Nothing for a null pointer); an
//                                object without IDispatch raises 13
//   VT_ERROR                     Empty when it marks a missing argument
//                                (DISP_E_PARAMNOTFOUND), else 13
//   anything else, arrays too    13 (type mismatch); arrays are read with
//                                ReadArray
//
// Writing: Empty, Null, Booleans as VARIANT_TRUE (-1) or VARIANT_FALSE (0),
// whole numbers as VT_I2 when they fit 16 bits, VT_I4 when they fit 32 and
// VT_I8 beyond, decimal numbers as VT_R8, texts as BSTR, a ComObject as its
// VT_DISPATCH (a null object as Nothing). An object of the core that is not
// a COM object cannot be handed over: 13.
#pragma once

#include <ole2.h>
#include <windows.h>

#include "host/variant.h"

namespace lirvo::win {

// The value `v` holds.
host::Variant FromVariant(const VARIANT& v);

// A VARIANT holding `value`; the caller clears it (VariantClear).
VARIANT ToVariant(const host::Variant& value);

// Replaces what `out` holds (cleared first) with `value`.
void AssignVariant(const host::Variant& value, VARIANT& out);

// The elements of an array whose elements the reading above takes
// (VT_VARIANT included), any number of dimensions and any lower bounds;
// FADF_FIXEDSIZE and FADF_STATIC arrays are read as any other. The element
// type is the array's own (SafeArrayGetVartype). A null array is an
// unallocated one.
host::ParamArray ReadArray(SAFEARRAY* array);

// An array inside a VARIANT: VT_ARRAY | type, by reference or not, or a
// reference to a variant holding one. Anything else raises 13.
host::ParamArray ReadArray(const VARIANT& v);

// A new array of VARIANT elements with `array`'s bounds and items; the
// caller destroys it (SafeArrayDestroy). An unallocated array gives null.
SAFEARRAY* NewArray(const host::ParamArray& array);

}  // namespace lirvo::win
