// Dispatch by dispatch id and by name. Each class describes its members once,
// in a member table (names matched without regard to case, aliases, dispatch
// ids, kinds, argument types, read-only flags); the table serves
// GetIDsOfNames, Invoke and the class's registration, so no binary type
// library exists.
#pragma once

#include "platform/automation_connection.h"
#include "platform/automation_exception.h"
#include "platform/automation_variant.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

using DISPID = int32_t;

inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;
// Stock members of controls.
inline constexpr DISPID DISPID_BACKCOLOR = -501;
inline constexpr DISPID DISPID_FONT = -512;
inline constexpr DISPID DISPID_FORECOLOR = -513;
inline constexpr DISPID DISPID_ENABLED = -514;
inline constexpr DISPID DISPID_HWND = -515;
inline constexpr DISPID DISPID_REFRESH = -550;
inline constexpr DISPID DISPID_ABOUTBOX = -552;
// Stock events.
inline constexpr DISPID DISPID_CLICK = -600;
inline constexpr DISPID DISPID_DBLCLICK = -601;
inline constexpr DISPID DISPID_KEYDOWN = -602;
inline constexpr DISPID DISPID_KEYPRESS = -603;
inline constexpr DISPID DISPID_KEYUP = -604;
inline constexpr DISPID DISPID_MOUSEDOWN = -605;
inline constexpr DISPID DISPID_MOUSEMOVE = -606;
inline constexpr DISPID DISPID_MOUSEUP = -607;

inline constexpr WORD DISPATCH_METHOD = 1;
inline constexpr WORD DISPATCH_PROPERTYGET = 2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 8;

// The arguments of a call, last argument first (rgvarg[0] is the last).
// A put passes the new value as rgvarg[0], named DISPID_PROPERTYPUT.
struct DISPPARAMS {
    VARIANT *rgvarg;
    DISPID *rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

class IDispatch : public IUnknown {
public:
    static constexpr IID kIid = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    // ids[0] gets the member's id; names after the first (argument names)
    // are not known. DISP_E_UNKNOWNNAME with DISPID_UNKNOWN where a name is
    // not found.
    virtual HRESULT GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids) = 0;
    // result, exception and argErr may be null. On DISP_E_TYPEMISMATCH,
    // DISP_E_OVERFLOW, DISP_E_BADVARTYPE and DISP_E_PARAMNOTOPTIONAL *argErr
    // is the index in rgvarg of the argument. Arguments of unknown types and
    // by-reference arguments that refer to nothing never reach a member.
    virtual HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS &params, VARIANT *result, EXCEPINFO *exception,
                           UINT *argErr) = 0;
};

class DispatchObject;

// One call of a member, its arguments coerced to the declared types and in
// the natural order (argument 0 first). A put's value is not among them.
class MemberCall {
public:
    MemberCall() = default;
    MemberCall(const MemberCall &) = delete;
    MemberCall &operator=(const MemberCall &) = delete;

    WORD kind() const { return kind_; } // one DISPATCH_* flag
    size_t count() const { return count_; }
    // An optional argument the caller left out (given as the missing marker,
    // or past the end).
    bool missing(size_t i) const;
    const VARIANT &arg(size_t i) const { return *At(i); }
    // The caller's own VARIANT of an argument declared VT_VARIANT, by-reference
    // forms kept, so that a member can write back through it.
    VARIANT &raw(size_t i) const { return *At(i); }
    int32_t Long(size_t i) const;
    double Double(size_t i) const;
    bool Bool(size_t i) const;
    std::string String(size_t i) const; // Windows-1252
    IDispatch *Dispatch(size_t i) const;
    // The value of a put, coerced to the property's type.
    const VARIANT &value() const { return *value_; }

    // The result of a get or method (ignored when the caller wants none).
    VARIANT &result() { return *result_; }
    void SetLong(int32_t v);
    void SetShort(int16_t v);
    void SetDouble(double v);
    void SetBool(bool v);
    void SetString(std::string_view windows1252);
    // Takes over the reference the caller holds (null gives a null object).
    void SetDispatch(IDispatch *adopted);

private:
    friend class DispatchObject;
    WORD kind_ = 0;
    // std::out_of_range past the last argument.
    VARIANT *At(size_t i) const;
    void Resize(size_t n);
    // The arguments: the few of most calls in place, more on the heap, so
    // that a call allocates nothing.
    static constexpr size_t kInPlace = 8;
    VARIANT *inPlace_[kInPlace] = {};
    std::vector<VARIANT *> spilled_;
    VARIANT **args_ = inPlace_;
    size_t count_ = 0;
    const VARIANT *value_ = nullptr;
    VARIANT *result_ = nullptr;
};

using MemberHandler = std::function<void(DispatchObject &self, MemberCall &call)>;

enum class MemberKind { Property, Method };

// What a put on a read-only property does.
enum class ReadOnlyPut { Raise, Ignore };

struct MemberInfo {
    // Dispatch id given to a member whose id is its position in the table
    // (counted from 1).
    static constexpr DISPID kByPosition = INT32_MIN;

    std::string name;
    MemberKind kind = MemberKind::Method;
    // A property's type, or a method's result (VT_EMPTY: none); VT_VARIANT
    // takes any value.
    VARTYPE type = VT_EMPTY;
    // Arguments of a method or an indexed property, in natural order.
    std::vector<VARTYPE> params = {};
    // How many of the trailing params may be left out.
    int optionalParams = 0;
    MemberHandler get = {}; // property get or method call
    MemberHandler put = {}; // property put; none makes the property read-only
    bool readOnly = false;
    ReadOnlyPut readOnlyPut = ReadOnlyPut::Raise;
    bool putRef = false;    // a put by reference (objects) is accepted too
    bool isDefault = false; // also answers DISPID_VALUE
    DISPID dispid = kByPosition;
    std::vector<std::string> aliases = {};
};

// The description of one automation class: its identity and members.
struct ClassInfo {
    std::string className = {}; // as "KrtObject"
    std::string progId = {};    // as "KrtLib.KrtObject"; may be empty
    std::string typeName = {};  // the registry's display name; className when empty
    CLSID clsid = GUID_NULL;
    IID dispatchIid = GUID_NULL;    // the class's own dispatch interface
    std::string interfaceName = {}; // as "IKrtObject"
    std::vector<MemberInfo> members = {};
};

// The looked-up form of a class's members.
class MemberTable {
public:
    // Positional ids are filled in. A name or id given twice is a mistake of
    // the class: the first wins and the rest are reported by duplicates().
    explicit MemberTable(ClassInfo info);

    const ClassInfo &info() const { return info_; }
    const std::vector<MemberInfo> &members() const { return info_.members; }
    // Null when there is no such member.
    const MemberInfo *FindById(DISPID id) const;
    const MemberInfo *FindByName(std::string_view name) const;
    const std::vector<std::string> &duplicates() const { return duplicates_; }

private:
    ClassInfo info_;
    std::unordered_map<DISPID, size_t> byId_;
    std::unordered_map<std::string, size_t> byName_;
    std::vector<std::string> duplicates_;
};

// Name folding for member and ProgID lookups.
std::string FoldName(std::string_view name);

// Base of the automation classes: IDispatch served from a member table, and
// the connection points the class adds (it is a connection point container
// only when it has some). A derived class may answer more interfaces by
// overriding FindInterface.
class DispatchObject : public ComObject<IDispatch, IConnectionPointContainer> {
public:
    explicit DispatchObject(std::shared_ptr<const MemberTable> table);

    HRESULT GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids) override;
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS &params, VARIANT *result, EXCEPINFO *exception,
                   UINT *argErr) override;
    HRESULT FindConnectionPoint(const IID &iid, IConnectionPoint **out) override;

    const MemberTable &table() const { return *table_; }
    // Null when the class has no such outgoing interface.
    ConnectionPoint *connectionPoint(const IID &iid) const { return connectionPoints_.Find(iid); }

protected:
    ~DispatchObject() override;
    void *FindInterface(const IID &iid) override;
    ConnectionPoint &AddConnectionPoint(const IID &iid) { return connectionPoints_.Add(iid); }

private:
    std::shared_ptr<const MemberTable> table_;
    ConnectionPointList connectionPoints_{Identity()};
};

// Calls through IDispatch from C++ (hosts and tests): by name, arguments in
// natural order. The result, or the failure code in *hr when given.
Variant CallByName(IDispatch *object, std::string_view name, WORD flags, std::span<const Variant> args = {},
                   HRESULT *hr = nullptr, EXCEPINFO *exception = nullptr);
HRESULT PutByName(IDispatch *object, std::string_view name, const VARIANT &value,
                  EXCEPINFO *exception = nullptr);
