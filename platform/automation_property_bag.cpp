#include "platform/automation_property_bag.h"

#include "platform/automation_dispatch.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr quint32 kMagic = 0x50424147; // "PBAG"
constexpr quint32 kFormat = 1;

bool Persistable(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_BSTR:
    case VT_BOOL:
        return true;
    default:
        return false;
    }
}

} // namespace

HRESULT PropertyBag::Write(std::string_view name, const VARIANT &value)
{
    Variant v;
    if (FAILED(VariantCopyInd(&v, &value)) || !Persistable(v.vt))
        return E_INVALIDARG;
    const std::string folded = FoldName(name);
    for (Item &item : items_)
        if (FoldName(item.name) == folded) {
            item.value = v;
            return S_OK;
        }
    items_.push_back({std::string(name), v});
    return S_OK;
}

HRESULT PropertyBag::Read(std::string_view name, VARIANT *out) const
{
    if (!out)
        return E_POINTER;
    const std::string folded = FoldName(name);
    for (const Item &item : items_)
        if (FoldName(item.name) == folded)
            return VariantCopy(out, &item.value);
    return E_INVALIDARG;
}

bool PropertyBag::Contains(std::string_view name) const
{
    Variant scratch;
    return SUCCEEDED(Read(name, &scratch));
}

QByteArray PropertyBag::Save() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kFormat << quint32(items_.size());
    for (const Item &item : items_) {
        out << QByteArray::fromStdString(item.name) << quint16(item.value.vt);
        switch (item.value.vt) {
        case VT_I2:
            out << qint16(item.value.iVal);
            break;
        case VT_I4:
            out << qint32(item.value.lVal);
            break;
        case VT_R4:
            out << double(item.value.fltVal);
            break;
        case VT_R8:
            out << item.value.dblVal;
            break;
        case VT_CY:
            out << qint64(item.value.cyVal.int64);
            break;
        case VT_BSTR:
            out << BstrToQString(item.value.bstrVal);
            break;
        case VT_BOOL:
            out << qint16(item.value.boolVal);
            break;
        default: // EMPTY
            break;
        }
    }
    return bytes;
}

bool PropertyBag::Load(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, format = 0, count = 0;
    in >> magic >> format >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || format != kFormat)
        return false;
    PropertyBag loaded;
    for (quint32 i = 0; i < count; ++i) {
        QByteArray name;
        quint16 vt = 0;
        in >> name >> vt;
        if (in.status() != QDataStream::Ok || !Persistable(vt))
            return false;
        Variant v;
        qint16 i16 = 0;
        qint32 i32 = 0;
        qint64 i64 = 0;
        double d = 0;
        QString text;
        switch (vt) {
        case VT_I2:
            in >> i16;
            v = VariantFromShort(i16);
            break;
        case VT_I4:
            in >> i32;
            v = VariantFromLong(i32);
            break;
        case VT_R4:
            in >> d;
            v.vt = VT_R4;
            v.fltVal = float(d);
            break;
        case VT_R8:
            in >> d;
            v = VariantFromDouble(d);
            break;
        case VT_CY:
            in >> i64;
            v.vt = VT_CY;
            v.cyVal.int64 = i64;
            break;
        case VT_BSTR:
            in >> text;
            v.bstrVal = BstrFromQString(text);
            v.vt = VT_BSTR;
            break;
        case VT_BOOL:
            in >> i16;
            v = VariantFromBool(i16 != 0);
            break;
        default:
            break;
        }
        if (in.status() != QDataStream::Ok)
            return false;
        loaded.Write(name.toStdString(), v);
    }
    if (!in.atEnd())
        return false;
    items_ = std::move(loaded.items_);
    return true;
}

bool PropExchange::Fetch(std::string_view name, VARTYPE vt, Variant *out) const
{
    Variant stored;
    return SUCCEEDED(bag_.Read(name, &stored)) && SUCCEEDED(VariantChangeType(out, &stored, 0, vt));
}

void PropExchange::Long(std::string_view name, int32_t &value, int32_t byDefault)
{
    if (!loading_) {
        bag_.Write(name, VariantFromLong(value));
        return;
    }
    Variant v;
    value = Fetch(name, VT_I4, &v) ? v.lVal : byDefault;
}

void PropExchange::Bool(std::string_view name, bool &value, bool byDefault)
{
    if (!loading_) {
        bag_.Write(name, VariantFromBool(value));
        return;
    }
    Variant v;
    value = Fetch(name, VT_BOOL, &v) ? v.boolVal != VARIANT_FALSE : byDefault;
}

void PropExchange::Double(std::string_view name, double &value, double byDefault)
{
    if (!loading_) {
        bag_.Write(name, VariantFromDouble(value));
        return;
    }
    Variant v;
    value = Fetch(name, VT_R8, &v) ? v.dblVal : byDefault;
}

void PropExchange::String(std::string_view name, std::string &value, std::string_view byDefault)
{
    if (!loading_) {
        bag_.Write(name, VariantFromString(value));
        return;
    }
    Variant v;
    value = Fetch(name, VT_BSTR, &v) ? BstrToWindows1252(v.bstrVal) : std::string(byDefault);
}

void PropExchange::Version(uint32_t &version, uint32_t current)
{
    static constexpr std::string_view kName = "_Version";
    if (!loading_) {
        version = current;
        bag_.Write(kName, VariantFromLong(int32_t(current)));
        return;
    }
    Variant v;
    version = Fetch(kName, VT_I4, &v) ? uint32_t(v.lVal) : 0;
}
