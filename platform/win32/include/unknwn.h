// COM basics: GUIDs, IUnknown, __uuidof and IID_PPV_ARGS.
//
// An interface gets its identifier with ZR_DECLARE_UUID(Interface, "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx")
// after its definition; __uuidof(Interface) and __uuidof(*pointer) then give it, as on Windows.
#pragma once

#include <basetsd.h>
#include <winerror.h>

#include <cstring>

typedef struct _GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;

inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)

namespace zr::com {

constexpr uint8_t HexDigit(char c) {
  return static_cast<uint8_t>(c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : 0);
}
constexpr uint32_t HexField(const char* s, int digits) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) v = (v << 4) | HexDigit(s[i]);
  return v;
}
// Parses the registry form "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx".
constexpr GUID ParseGuid(const char* s) {
  GUID g{};
  g.Data1 = HexField(s, 8);
  g.Data2 = static_cast<uint16_t>(HexField(s + 9, 4));
  g.Data3 = static_cast<uint16_t>(HexField(s + 14, 4));
  g.Data4[0] = static_cast<uint8_t>(HexField(s + 19, 2));
  g.Data4[1] = static_cast<uint8_t>(HexField(s + 21, 2));
  for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<uint8_t>(HexField(s + 24 + 2 * i, 2));
  return g;
}

template <typename T>
struct InterfaceId;

}  // namespace zr::com

#define ZR_DECLARE_UUID(type, text)                     \
  template <>                                           \
  struct zr::com::InterfaceId<type> {                   \
    static constexpr GUID value = zr::com::ParseGuid(text); \
  }

#define __uuidof(x) (::zr::com::InterfaceId<__typeof__(x)>::value)

struct DECLSPEC_NOVTABLE IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

  template <typename Q>
  HRESULT QueryInterface(Q** pp) {
    return QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp));
  }

 protected:
  ~IUnknown() = default;
};
ZR_DECLARE_UUID(IUnknown, "00000000-0000-0000-c000-000000000046");

template <typename T>
void** IID_PPV_ARGS_Helper(T** pp) {
  return reinterpret_cast<void**>(pp);
}
#define IID_PPV_ARGS(ppType) __uuidof(**(ppType)), IID_PPV_ARGS_Helper(ppType)
