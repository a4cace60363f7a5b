#pragma once

#include "gui/Application.h"
#include "gui/Registry.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;

namespace tarnwick {

// Reads value `subKeyRef` of key `keyName` under `keyRoot` into `keyVal`: false (and an empty
// `keyVal`) when the key or the value cannot be read. A text value is taken up to a final
// NUL; a 32-bit number becomes "&h" and its bytes' hex digits; any other type leaves `keyVal`
// as it came in. Throws std::out_of_range for a value of zero bytes.
bool GetKeyValue(Registry& registry, Registry::KeyHandle keyRoot, const QString& keyName,
                 const QString& subKeyRef, QString& keyVal);

// What "System Info..." needs from the platform, replaceable in tests.
struct SysInfoServices {
    std::shared_ptr<Registry> SystemRegistry;
    std::function<bool(const QString& path)> FileExists;          // a normal file at `path`
    std::function<bool(const QString& commandLine)> StartProgram; // false when it cannot start
    std::function<void(const QString& text)> ShowMessage;         // titled, OK only, no icon
};

SysInfoServices PlatformSysInfoServices(QWidget* messageParent);

// frmAbout: title, version, credits and disclaimer, "OK" and "System Info...".
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
    AboutBox(SysInfoServices services, QWidget* parent);

    // Starts the system information program named in the registry, or says it is unavailable.
    void StartSysInfo();

    static inline const QString UnavailableText =
        QStringLiteral("System Information Is Unavailable At This Time");

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void LoadTexts();
    std::optional<QString> FindSysInfoProgram();

    SysInfoServices Services;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace tarnwick
