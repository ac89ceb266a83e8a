#include "platform/automation_dispatch.h"

#include <new>
#include <stdexcept>

std::string FoldName(std::string_view name)
{
    std::string r(name);
    for (char &c : r)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return r;
}

// --- MemberCall -----------------------------------------------------------

VARIANT *MemberCall::At(size_t i) const
{
    if (i >= count_)
        throw std::out_of_range("no such argument");
    return args_[i];
}

void MemberCall::Resize(size_t n)
{
    if (n > kInPlace) {
        spilled_.assign(n, nullptr);
        args_ = spilled_.data();
    } else {
        args_ = inPlace_;
    }
    count_ = n;
}

bool MemberCall::missing(size_t i) const
{
    if (i >= count_)
        return true; // left off the end
    const VARIANT &v = *args_[i];
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

namespace {

// The argument as the type asked for; an argument that does not convert was
// already refused by Invoke unless it was declared VT_VARIANT, which gives
// the type's zero.
Variant As(const VARIANT &v, VARTYPE vt)
{
    Variant r;
    if (FAILED(VariantChangeType(&r, &v, 0, vt)))
        VariantChangeType(&r, &r, 0, vt);
    return r;
}

} // namespace

// Arguments declared of the type asked for arrive in it: no conversion.
int32_t MemberCall::Long(size_t i) const
{
    const VARIANT &v = arg(i);
    return v.vt == VT_I4 ? v.lVal : As(v, VT_I4).lVal;
}
double MemberCall::Double(size_t i) const
{
    const VARIANT &v = arg(i);
    return v.vt == VT_R8 ? v.dblVal : As(v, VT_R8).dblVal;
}
bool MemberCall::Bool(size_t i) const
{
    const VARIANT &v = arg(i);
    return (v.vt == VT_BOOL ? v.boolVal : As(v, VT_BOOL).boolVal) != VARIANT_FALSE;
}

std::string MemberCall::String(size_t i) const
{
    const Variant v = As(arg(i), VT_BSTR);
    return v.vt == VT_BSTR ? BstrToWindows1252(v.bstrVal) : std::string();
}

IDispatch *MemberCall::Dispatch(size_t i) const
{
    const VARIANT &v = arg(i);
    if (v.vt == VT_DISPATCH)
        return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal)
        return *v.ppdispVal;
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal && v.pvarVal->vt == VT_DISPATCH)
        return v.pvarVal->pdispVal;
    return nullptr;
}

// Numbers go straight into the result, which was cleared before the call.
void MemberCall::SetLong(int32_t v)
{
    VariantClear(result_);
    result_->vt = VT_I4;
    result_->lVal = v;
}
void MemberCall::SetShort(int16_t v)
{
    VariantClear(result_);
    result_->vt = VT_I2;
    result_->iVal = v;
}
void MemberCall::SetDouble(double v)
{
    VariantClear(result_);
    result_->vt = VT_R8;
    result_->dblVal = v;
}
void MemberCall::SetBool(bool v)
{
    VariantClear(result_);
    result_->vt = VT_BOOL;
    result_->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
}
void MemberCall::SetString(std::string_view text)
{
    *static_cast<Variant *>(result_) = VariantFromString(text);
}

void MemberCall::SetDispatch(IDispatch *adopted)
{
    VariantClear(result_);
    result_->vt = VT_DISPATCH;
    result_->pdispVal = adopted;
}

// --- MemberTable ----------------------------------------------------------

MemberTable::MemberTable(ClassInfo info) : info_(std::move(info))
{
    for (size_t i = 0; i < info_.members.size(); ++i) {
        MemberInfo &m = info_.members[i];
        if (m.dispid == MemberInfo::kByPosition)
            m.dispid = DISPID(i + 1);
        if (!m.put && !m.readOnly && m.kind == MemberKind::Property)
            m.readOnly = true;
        if (!byId_.emplace(m.dispid, i).second)
            duplicates_.push_back(m.name);
        if (m.isDefault && !byId_.emplace(DISPID_VALUE, i).second)
            duplicates_.push_back(m.name);
        if (!byName_.emplace(FoldName(m.name), i).second)
            duplicates_.push_back(m.name);
        for (const std::string &alias : m.aliases)
            if (!byName_.emplace(FoldName(alias), i).second)
                duplicates_.push_back(alias);
    }
}

const MemberInfo *MemberTable::FindById(DISPID id) const
{
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &info_.members[it->second];
}

const MemberInfo *MemberTable::FindByName(std::string_view name) const
{
    auto it = byName_.find(FoldName(name));
    return it == byName_.end() ? nullptr : &info_.members[it->second];
}

// --- DispatchObject ---------------------------------------------------------

namespace {

// What no member should see: a type not known here, or a by-reference
// argument that refers to nothing.
HRESULT CheckArgument(const VARIANT &v)
{
    if (!VariantTypeIsValid(v.vt))
        return DISP_E_BADVARTYPE;
    if ((v.vt & VT_BYREF) && !v.pvarVal)
        return DISP_E_TYPEMISMATCH;
    return S_OK;
}

} // namespace

DispatchObject::DispatchObject(std::shared_ptr<const MemberTable> table) : table_(std::move(table)) {}

DispatchObject::~DispatchObject() = default;

void *DispatchObject::FindInterface(const IID &iid)
{
    if (iid == IDispatch::kIid || (iid == table_->info().dispatchIid && !(iid == GUID_NULL)))
        return static_cast<IDispatch *>(this);
    if (iid == IConnectionPointContainer::kIid && !connectionPoints_.empty())
        return static_cast<IConnectionPointContainer *>(this);
    return nullptr;
}

HRESULT DispatchObject::FindConnectionPoint(const IID &iid, IConnectionPoint **out)
{
    if (!out)
        return E_POINTER;
    *out = connectionPoints_.Find(iid);
    if (!*out)
        return CONNECT_E_NOCONNECTION;
    (*out)->AddRef();
    return S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(std::span<const std::string> names, std::span<DISPID> ids)
{
    if (names.empty() || names.size() != ids.size())
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    const MemberInfo *m = table_->FindByName(names[0]);
    ids[0] = m ? m->dispid : DISPID_UNKNOWN;
    if (!m)
        hr = DISP_E_UNKNOWNNAME;
    for (size_t i = 1; i < names.size(); ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DispatchObject::Invoke(DISPID id, WORD flags, DISPPARAMS &params, VARIANT *result,
                               EXCEPINFO *exception, UINT *argErr)
{
    const MemberInfo *m = table_->FindById(id);
    if (!m)
        return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs > 0 && !params.rgvarg)
        return E_INVALIDARG;
    if (params.cNamedArgs > params.cArgs || (params.cNamedArgs > 0 && !params.rgdispidNamedArgs))
        return E_INVALIDARG;

    const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    UINT positional = params.cArgs;
    WORD kind = 0;
    if (isPut) {
        if (m->kind != MemberKind::Property)
            return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_PROPERTYPUT) && !m->putRef && !m->readOnly)
            return DISP_E_MEMBERNOTFOUND;
        if (params.cNamedArgs == 0)
            return DISP_E_PARAMNOTFOUND;
        if (params.cNamedArgs > 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_NONAMEDARGS;
        positional = params.cArgs - 1;
        kind = (flags & DISPATCH_PROPERTYPUT) ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYPUTREF;
    } else if (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) {
        if (params.cNamedArgs > 0)
            return DISP_E_NONAMEDARGS;
        kind = m->kind == MemberKind::Method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }

    const UINT declared = UINT(m->params.size());
    const UINT required = declared - UINT(std::min<int>(std::max(m->optionalParams, 0), int(declared)));
    if (positional < required || positional > declared)
        return DISP_E_BADPARAMCOUNT;

    auto fail = [&](HRESULT hr, UINT index) {
        if (argErr)
            *argErr = index;
        return hr;
    };

    // Arguments, last first in rgvarg, coerced into copies of our own.
    Variant inPlaceCopies[MemberCall::kInPlace];
    std::vector<Variant> spilledCopies;
    Variant *copies = inPlaceCopies;
    if (positional > MemberCall::kInPlace) {
        spilledCopies.resize(positional);
        copies = spilledCopies.data();
    }
    MemberCall call;
    call.kind_ = kind;
    call.Resize(positional);
    for (UINT i = 0; i < positional; ++i) {
        const UINT index = params.cArgs - 1 - i;
        VARIANT &src = params.rgvarg[index];
        const VARTYPE want = m->params[i];
        if (HRESULT hr = CheckArgument(src); FAILED(hr))
            return fail(hr, index);
        if (src.vt == VT_ERROR && src.scode == DISP_E_PARAMNOTFOUND) {
            if (i < required)
                return fail(DISP_E_PARAMNOTOPTIONAL, index);
            call.args_[i] = &src;
        } else if (want == VT_VARIANT) {
            call.args_[i] = &src;
        } else if (src.vt == want && want != VT_BSTR && want != VT_DISPATCH && want != VT_UNKNOWN) {
            call.args_[i] = &src; // already a plain value of the declared type
        } else if (want & VT_BYREF) {
            if (src.vt != want)
                return fail(DISP_E_TYPEMISMATCH, index);
            call.args_[i] = &src;
        } else {
            if (HRESULT hr = VariantChangeType(&copies[i], &src, 0, want); FAILED(hr))
                return fail(hr == E_INVALIDARG || hr == DISP_E_BADVARTYPE ? DISP_E_TYPEMISMATCH : hr, index);
            call.args_[i] = &copies[i];
        }
    }

    Variant value;
    if (isPut) {
        if (m->readOnly || !m->put) {
            if (m->readOnlyPut == ReadOnlyPut::Ignore)
                return S_OK;
            SetNotSupportedError().Fill(exception, table_->info().progId);
            return DISP_E_EXCEPTION;
        }
        VARIANT &src = params.rgvarg[0];
        if (HRESULT hr = CheckArgument(src); FAILED(hr))
            return fail(hr, 0);
        if (m->type == VT_VARIANT) {
            call.value_ = &src;
        } else {
            if (HRESULT hr = VariantChangeType(&value, &src, 0, m->type); FAILED(hr))
                return fail(hr == E_INVALIDARG || hr == DISP_E_BADVARTYPE ? DISP_E_TYPEMISMATCH : hr, 0);
            call.value_ = &value;
        }
    } else if (!m->get) {
        return DISP_E_MEMBERNOTFOUND;
    }

    Variant localResult;
    if (result)
        VariantClear(result);
    call.result_ = result ? result : &localResult;

    const MemberHandler &handler = isPut ? m->put : m->get;
    const std::string &source =
        table_->info().progId.empty() ? table_->info().className : table_->info().progId;
    try {
        handler(*this, call);
        return S_OK;
    } catch (const AutomationException &e) {
        e.Fill(exception, source);
    } catch (const std::bad_alloc &) {
        VariantClear(call.result_);
        return E_OUTOFMEMORY;
    } catch (const std::exception &e) {
        AutomationException(E_FAIL, e.what()).Fill(exception, source);
    }
    VariantClear(call.result_);
    return DISP_E_EXCEPTION;
}

// --- Calls from C++ -----------------------------------------------------------

Variant CallByName(IDispatch *object, std::string_view name, WORD flags, std::span<const Variant> args,
                   HRESULT *hr, EXCEPINFO *exception)
{
    Variant result;
    HRESULT status = E_POINTER;
    if (object) {
        const std::string names[1] = {std::string(name)};
        DISPID id = DISPID_UNKNOWN;
        status = object->GetIDsOfNames(names, std::span<DISPID>(&id, 1));
        if (SUCCEEDED(status)) {
            // A shallow copy in reverse order: Invoke owns none of its arguments.
            std::vector<VARIANT> reversed(args.rbegin(), args.rend());
            DISPPARAMS params{reversed.data(), nullptr, UINT(reversed.size()), 0};
            status = object->Invoke(id, flags, params, &result, exception, nullptr);
        }
    }
    if (hr)
        *hr = status;
    return result;
}

HRESULT PutByName(IDispatch *object, std::string_view name, const VARIANT &value, EXCEPINFO *exception)
{
    if (!object)
        return E_POINTER;
    const std::string names[1] = {std::string(name)};
    DISPID id = DISPID_UNKNOWN;
    if (HRESULT hr = object->GetIDsOfNames(names, std::span<DISPID>(&id, 1)); FAILED(hr))
        return hr;
    VARIANT arg = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    return object->Invoke(id, DISPATCH_PROPERTYPUT, params, nullptr, exception, nullptr);
}
