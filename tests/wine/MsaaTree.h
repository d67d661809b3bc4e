#pragma once
// The MSAA tree of a window as a screen reader walks it: each object's
// role, name and description, children after their parent. Shared by the
// front-end tests and msaa_tree.exe.

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace msaa {

struct Node {
  int Depth;
  long Role;
  std::wstring Name, Description;
};

inline std::wstring Take(BSTR b) {
  std::wstring s = b ? b : L"";
  SysFreeString(b);
  return s;
}

inline void Walk(IAccessible* acc, VARIANT self, int depth, int maxDepth, std::vector<Node>& out) {
  Node n{depth, 0, {}, {}};
  VARIANT role;
  VariantInit(&role);
  if (SUCCEEDED(acc->get_accRole(self, &role)) && role.vt == VT_I4) n.Role = role.lVal;
  BSTR b = nullptr;
  if (acc->get_accName(self, &b) == S_OK) n.Name = Take(b);
  b = nullptr;
  if (acc->get_accDescription(self, &b) == S_OK) n.Description = Take(b);
  out.push_back(n);
  long count = 0;
  if (self.lVal != CHILDID_SELF || depth >= maxDepth || FAILED(acc->get_accChildCount(&count)) ||
      count <= 0)
    return;
  std::vector<VARIANT> kids(static_cast<size_t>(count));
  long got = 0;
  if (FAILED(AccessibleChildren(acc, 0, count, kids.data(), &got))) return;
  for (long i = 0; i < got; ++i) {
    VARIANT& k = kids[static_cast<size_t>(i)];
    IAccessible* child = nullptr;
    if (k.vt == VT_DISPATCH && k.pdispVal &&
        SUCCEEDED(k.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
      VARIANT me;
      me.vt = VT_I4;
      me.lVal = CHILDID_SELF;
      Walk(child, me, depth + 1, maxDepth, out);
      child->Release();
    } else if (k.vt == VT_I4) {
      Walk(acc, k, depth + 1, maxDepth, out);
    }
    VariantClear(&k);
  }
}

// The tree of one of `window`'s objects (OBJID_CLIENT, OBJID_WINDOW).
inline std::vector<Node> Tree(HWND window, LONG object, int maxDepth = 8) {
  std::vector<Node> out;
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(object), IID_IAccessible,
                                        reinterpret_cast<void**>(&acc))) ||
      !acc)
    return out;
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  Walk(acc, self, 0, maxDepth, out);
  acc->Release();
  return out;
}

// One line a node: indented by depth, the role as the system words it.
inline std::wstring Text(const std::vector<Node>& tree) {
  std::wstring s;
  for (const Node& n : tree) {
    wchar_t role[64] = {};
    GetRoleTextW(static_cast<DWORD>(n.Role), role, 64);
    s += std::wstring(static_cast<size_t>(2 * n.Depth), L' ') + role + L" \u00AB" + n.Name + L"\u00BB";
    if (!n.Description.empty()) s += L" \u2014 " + n.Description;
    s += L"\n";
  }
  return s;
}

}  // namespace msaa
