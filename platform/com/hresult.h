// Status codes of the component layer and their mapping to the runtime's trappable numbers.
//
// An HResult is a signed 32-bit status: negative is failure. The codes below are the ones the
// program and the control library meet; their values are the platform's, because callers and
// stored traps compare them. A code of the control facility (0x800A0000 | n) carries the
// runtime's own error number n, which is how a control raises "Invalid property value" (380).
#pragma once

#include <cstdint>
#include <string>

namespace com {

using HResult = std::int32_t;

constexpr HResult MakeHResult(std::uint32_t bits) { return static_cast<HResult>(bits); }
constexpr bool Succeeded(HResult hr) { return hr >= 0; }
constexpr bool Failed(HResult hr) { return hr < 0; }

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;

inline constexpr HResult E_NOTIMPL = MakeHResult(0x80004001);
inline constexpr HResult E_NOINTERFACE = MakeHResult(0x80004002);
inline constexpr HResult E_POINTER = MakeHResult(0x80004003);
inline constexpr HResult E_ABORT = MakeHResult(0x80004004);
inline constexpr HResult E_FAIL = MakeHResult(0x80004005);
inline constexpr HResult E_UNEXPECTED = MakeHResult(0x8000FFFF);
inline constexpr HResult E_ACCESSDENIED = MakeHResult(0x80070005);
inline constexpr HResult E_OUTOFMEMORY = MakeHResult(0x8007000E);
inline constexpr HResult E_INVALIDARG = MakeHResult(0x80070057);

inline constexpr HResult DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
inline constexpr HResult DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
inline constexpr HResult DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
inline constexpr HResult DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
inline constexpr HResult DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
inline constexpr HResult DISP_E_NONAMEDARGS = MakeHResult(0x80020007);
inline constexpr HResult DISP_E_BADVARTYPE = MakeHResult(0x80020008);
inline constexpr HResult DISP_E_EXCEPTION = MakeHResult(0x80020009);
inline constexpr HResult DISP_E_OVERFLOW = MakeHResult(0x8002000A);
inline constexpr HResult DISP_E_BADINDEX = MakeHResult(0x8002000B);
inline constexpr HResult DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
inline constexpr HResult DISP_E_PARAMNOTOPTIONAL = MakeHResult(0x8002000F);

inline constexpr HResult TYPE_E_REGISTRYACCESS = MakeHResult(0x8002801C);
inline constexpr HResult TYPE_E_LIBNOTREGISTERED = MakeHResult(0x8002801D);
inline constexpr HResult TYPE_E_ELEMENTNOTFOUND = MakeHResult(0x8002802B);
inline constexpr HResult TYPE_E_CANTLOADLIBRARY = MakeHResult(0x80029C4A);

inline constexpr HResult STG_E_READFAULT = MakeHResult(0x8003001E);
inline constexpr HResult STG_E_INVALIDHEADER = MakeHResult(0x800300FB);
inline constexpr HResult STG_E_DOCFILECORRUPT = MakeHResult(0x80030109);

inline constexpr HResult CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
inline constexpr HResult CLASS_E_NOTLICENSED = MakeHResult(0x80040112);
inline constexpr HResult REGDB_E_READREGDB = MakeHResult(0x80040150);
inline constexpr HResult REGDB_E_WRITEREGDB = MakeHResult(0x80040151);
inline constexpr HResult REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
inline constexpr HResult CO_E_CLASSSTRING = MakeHResult(0x800401F3);
inline constexpr HResult CO_E_DLLNOTFOUND = MakeHResult(0x800401F8);
inline constexpr HResult CO_E_ERRORINDLL = MakeHResult(0x800401F9);

// The interface facility reuses numbers: the same values mean different things to a
// connection point and to a library's registration entry points.
inline constexpr HResult CONNECT_E_NOCONNECTION = MakeHResult(0x80040200);
inline constexpr HResult CONNECT_E_ADVISELIMIT = MakeHResult(0x80040201);
inline constexpr HResult CONNECT_E_CANNOTCONNECT = MakeHResult(0x80040202);
inline constexpr HResult SELFREG_E_TYPELIB = MakeHResult(0x80040200);
inline constexpr HResult SELFREG_E_CLASS = MakeHResult(0x80040201);

// Control facility: 0x800A0000 | the runtime's error number.
constexpr HResult ControlError(std::uint16_t number) {
    return MakeHResult(0x800A0000u | number);
}
inline constexpr HResult CTL_E_ILLEGALFUNCTIONCALL = ControlError(5);
inline constexpr HResult CTL_E_OVERFLOW = ControlError(6);
inline constexpr HResult CTL_E_OUTOFMEMORY = ControlError(7);
inline constexpr HResult CTL_E_INVALIDPROPERTYVALUE = ControlError(380);
inline constexpr HResult CTL_E_SETNOTSUPPORTEDATRUNTIME = ControlError(382);
inline constexpr HResult CTL_E_SETNOTSUPPORTED = ControlError(383);
inline constexpr HResult CTL_E_GETNOTSUPPORTEDATRUNTIME = ControlError(393);
inline constexpr HResult CTL_E_GETNOTSUPPORTED = ControlError(394);
inline constexpr HResult CTL_E_INVALIDPICTURE = ControlError(481);

// The runtime's number for a failed status, as the runtime reports a failed call into a
// component: a control-facility code gives its own number, the dispatch and creation codes give
// the runtime's numbers for them (type mismatch 13, overflow 6, member not found 438, class not
// registered 429, ...), and any other code is reported as itself.
long RuntimeNumber(HResult hr);

// The runtime's English text for RuntimeNumber(hr); "Automation error" for a code reported as
// itself.
std::string RuntimeText(HResult hr);

}  // namespace com
