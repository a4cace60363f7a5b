#include "gui/AboutBox.h"

#include "gui/FormLayout.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <stdexcept>

namespace tarnwick {

namespace {

const QString SysInfoPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString SysInfoPathValue = QStringLiteral("PATH");
const QString SysInfoFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString SysInfoFolderValue = QStringLiteral("MSINFO");
const QString SysInfoFileName = QStringLiteral("\\MSINFO32.EXE");
constexpr quint32 ValueBufferSize = 1024;

const QString CreditsText =
    QStringLiteral("Copyright 2001     Written by M. Ashgrove     Fenmarsh Data Services");
const QString DisclaimerText = QStringLiteral(
    "Warning: Fenmarsh Data Services makes no warranty or representation, "
    "express or implied, as to the usefulness of this application. The user assumes all "
    "responsibility and liability for any damages resulting from its use.");

// The query's buffer holds the value's bytes; a final NUL is the terminator, not the value.
QByteArray CutAtStoredSize(const QByteArray& stored) {
    if (stored.isEmpty())
        throw std::out_of_range("a registry value of zero bytes has no last character");
    return stored.endsWith('\0') ? stored.chopped(1) : stored;
}

// The bytes from the last to the first, each as unpadded upper-case hex digits. The text is
// kept in this "&h" form rather than read back as a number.
QString NumberValueText(const QByteArray& bytes, const QString& incoming) {
    QString digits = incoming;
    for (auto byte = bytes.crbegin(); byte != bytes.crend(); ++byte)
        digits += QString::number(static_cast<uchar>(*byte), 16).toUpper();
    return QStringLiteral("&h") + digits;
}

class KeyCloser {
public:
    KeyCloser(Registry& registry, Registry::KeyHandle key) : Owner(registry), Key(key) {}
    ~KeyCloser() { Owner.CloseKey(Key); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    Registry& Owner;
    Registry::KeyHandle Key;
};

bool IsNormalFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

bool StartDetached(const QString& commandLine) {
    if (commandLine.isEmpty())
        return false;
    return QProcess::startDetached(commandLine, {});
}

QLabel* AddLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* AddButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

bool GetKeyValue(Registry& registry, Registry::KeyHandle keyRoot, const QString& keyName,
                 const QString& subKeyRef, QString& keyVal) {
    const std::optional<Registry::KeyHandle> key =
        registry.OpenKey(keyRoot, keyName.toLocal8Bit(), Registry::AllAccess);
    if (!key) {
        keyVal.clear();
        return false;
    }
    const KeyCloser closer(registry, *key);
    const std::optional<Registry::Value> value =
        registry.QueryValue(*key, subKeyRef.toLocal8Bit(), ValueBufferSize);
    if (!value) {
        keyVal.clear();
        return false;
    }
    const QByteArray stored = CutAtStoredSize(value->Bytes);
    if (value->Type == Registry::TextType)
        keyVal = QString::fromLocal8Bit(stored);
    else if (value->Type == Registry::NumberType)
        keyVal = NumberValueText(stored, keyVal);
    return true;
}

SysInfoServices PlatformSysInfoServices(QWidget* messageParent) {
    SysInfoServices services;
    services.SystemRegistry = CreateSystemRegistry();
    services.FileExists = IsNormalFile;
    services.StartProgram = StartDetached;
    services.ShowMessage = [messageParent](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, QMessageBox::Ok,
                        messageParent);
        box.exec();
    };
    return services;
}

AboutBox::AboutBox(QWidget* parent) : AboutBox(PlatformSysInfoServices(this), parent) {}

AboutBox::AboutBox(SysInfoServices services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      Services(std::move(services)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tarnwick"));
    setWindowIcon(ApplicationIcon());
    setModal(true);
    setFont(DesignFont());
    // The designed place on the screen, not centred over the main window.
    setGeometry(TwipsRect(2340, 1935, 5730, 3555));
    setFixedSize(size());
    BuildControls();
}

void AboutBox::BuildControls() {
    auto* picIcon = AddLabel(QStringLiteral("picIcon"), QString(), this);
    picIcon->setPixmap(ApplicationIcon().pixmap(32, 32));
    PlaceInTwips(*picIcon, 240, 240, 540, 540);

    cmdOK = AddButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), this);
    PlaceInTwips(*cmdOK, 4245, 2625, 1260, 345);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* cmdSysInfo =
        AddButton(QStringLiteral("cmdSysInfo"), QStringLiteral("&System Info..."), this);
    PlaceInTwips(*cmdSysInfo, 4260, 3075, 1245, 345);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutBox::StartSysInfo);
    setTabOrder(cmdOK, cmdSysInfo);

    AddEtchedRule(this, 2040, {QStringLiteral("Line1_1"), 120, 5684, 1, QColor(128, 128, 128)},
                  {QStringLiteral("Line1_0"), 120, 5669, 2, Qt::white});

    auto* lblDescription = AddLabel(QStringLiteral("lblDescription"), CreditsText, this);
    PlaceInTwips(*lblDescription, 1020, 1080, 1965, 870);
    lblDescription->setWordWrap(true);

    lblTitle = AddLabel(QStringLiteral("lblTitle"), ApplicationTitle, this);
    PlaceInTwips(*lblTitle, 1050, 240, 3885, 480);
    QFont titleFont = DesignFont();
    titleFont.setPointSizeF(18);
    lblTitle->setFont(titleFont);
    lblTitle->setForegroundRole(QPalette::Highlight);

    lblVersion = AddLabel(QStringLiteral("lblVersion"), QStringLiteral("Version 1.1"), this);
    PlaceInTwips(*lblVersion, 1050, 780, 3885, 225);

    auto* lblDisclaimer = AddLabel(QStringLiteral("lblDisclaimer"), DisclaimerText, this);
    PlaceInTwips(*lblDisclaimer, 240, 2160, 3870, 1125);
    lblDisclaimer->setWordWrap(true);
}

void AboutBox::showEvent(QShowEvent* event) {
    LoadTexts();
    cmdOK->setFocus();
    QDialog::showEvent(event);
}

void AboutBox::LoadTexts() {
    setWindowTitle(QStringLiteral("About ") + ApplicationTitle);
    lblVersion->setText(ApplicationVersionText());
    lblTitle->setText(ApplicationTitle);
}

void AboutBox::StartSysInfo() {
    try {
        const std::optional<QString> program = FindSysInfoProgram();
        if (program && Services.StartProgram(*program))
            return;
    } catch (const std::exception&) {
        // Any failure of the lookup means the same to the user: no system information.
    }
    Services.ShowMessage(UnavailableText);
}

std::optional<QString> AboutBox::FindSysInfoProgram() {
    Registry& registry = *Services.SystemRegistry;
    QString programPath;
    if (GetKeyValue(registry, Registry::LocalMachine, SysInfoPathKey, SysInfoPathValue,
                    programPath))
        return programPath;
    if (GetKeyValue(registry, Registry::LocalMachine, SysInfoFolderKey, SysInfoFolderValue,
                    programPath) &&
        Services.FileExists(programPath + SysInfoFileName))
        return programPath + SysInfoFileName;
    return std::nullopt;
}

} // namespace tarnwick
