#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace tavix {

// The application's own settings: QSettings with organisation and application "Tavix"
// ($XDG_CONFIG_HOME/Tavix/Tavix.conf). Every read goes to the store and every write is saved at
// once. A value that is missing, or that does not read as the asked type, is nothing; the
// caller's default is never written back. Main thread only.
class UserDefaults {
  public:
    UserDefaults() = delete;

    // "true" or "false"; numbers are not booleans.
    static std::optional<bool> boolValue(const QString& key);
    // A finite number.
    static std::optional<double> doubleValue(const QString& key);
    static std::optional<QString> stringValue(const QString& key);

    static void set(const QString& key, const QVariant& value);
};

}  // namespace tavix
