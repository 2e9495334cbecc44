#include "Tavix/app/UserDefaults.h"

#include <QSettings>

#include <cmath>

namespace tavix {
namespace {

QVariant read(const QString& key) {
    return QSettings("Tavix", "Tavix").value(key);
}

}  // namespace

std::optional<bool> UserDefaults::boolValue(const QString& key) {
    const QVariant value = read(key);
    // The settings file keeps no types: a boolean comes back as its text.
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == "true") return true;
        if (text == "false") return false;
    }
    return std::nullopt;
}

std::optional<double> UserDefaults::doubleValue(const QString& key) {
    const QVariant value = read(key);
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            number = value.toDouble(&ok);
            break;
        case QMetaType::QString:
            number = value.toString().toDouble(&ok);
            break;
        default:
            break;
    }
    if (!ok || !std::isfinite(number)) return std::nullopt;
    return number;
}

std::optional<QString> UserDefaults::stringValue(const QString& key) {
    const QVariant value = read(key);
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    return value.toString();
}

void UserDefaults::set(const QString& key, const QVariant& value) {
    QSettings settings("Tavix", "Tavix");
    settings.setValue(key, value);
    settings.sync();
}

}  // namespace tavix
