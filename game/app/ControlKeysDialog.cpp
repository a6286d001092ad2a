#include "ControlKeysDialog.h"

#include "DialogUnits.h"
#include "DialogWindow.h"
#include "GameServices.h"
#include "GameState.h"
#include "NameCodePage.h"

#include <QLabel>
#include <QPushButton>

namespace wz {
namespace {

struct Caption {
    const char* text;
    int x, y, width, height;
};

// The captions beside the name fields, top to bottom.
constexpr Caption kCaptions[] = {
    {"Left:", 6, 5, 14, 8},  {"Right:", 6, 16, 18, 8}, {"Rotate:", 6, 27, 23, 8},
    {"Drop:", 6, 38, 19, 8}, {"Down:", 6, 49, 21, 8},
};

// The name field of each slot, by its row: slot 2 (Left) at the top, slot 0 (Down) at the
// bottom, each beside its caption.
constexpr int kNameRowOfSlot[kControlKeyCount] = {49, 38, 5, 16, 27};

} // namespace

ControlKeysDialog::ControlKeysDialog(QWidget* owner, GameState& state, GameServices& services)
    : QDialog(owner, kDialogWindowFlags), state_(state), services_(services),
      capture_([this](int key, bool released, bool autoRepeat) {
          OnCapturedKey(key, released, autoRepeat);
      }) {
    SetUpDialogWindow(*this, "Control Keys");
    const DialogUnits units(font());
    setFixedSize(units.Size(128, 78));

    // Created in the order the focus moves through them.
    auto* defaultKeys =
        MakeButton(*this, "Default Keys", kDefaultKeysId, units.Rect(76, 5, 45, 12));
    auto* defineKeys = MakeButton(*this, "Define Keys", kDefineKeysId, units.Rect(76, 25, 45, 12));
    auto* ok = MakeButton(*this, "OK", kOkButtonId, units.Rect(76, 45, 45, 12));
    ok->setDefault(true);
    defaultKeys->setFocus();
    prompt_ = MakeLabel(*this, "", kPromptLineId, units.Rect(11, 63, 105, 8));
    prompt_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (const Caption& caption : kCaptions) {
        MakeLabel(*this, caption.text, 0,
                  units.Rect(caption.x, caption.y, caption.width, caption.height));
    }
    for (int slot = 0; slot < kControlKeyCount; ++slot) {
        nameFields_[slot] = MakeLabel(*this, "None", kKeyNameFieldId + slot,
                                      units.Rect(36, kNameRowOfSlot[slot], 32, 8));
    }

    connect(defaultKeys, &QPushButton::clicked, this, &ControlKeysDialog::OnDefaultKeys);
    connect(defineKeys, &QPushButton::clicked, this, &ControlKeysDialog::OnDefineKeys);
    connect(ok, &QPushButton::clicked, this, &ControlKeysDialog::OnOk);

    // A definition left unfinished by an earlier dialog does not carry over into this one.
    state_.keyDefinition.definingKeys = 0;
    ShowKeyNames();
}

ControlKeysDialog::~ControlKeysDialog() {
    // Should the dialog go while a definition runs, the game's keys must work again.
    if (capture_.Installed()) {
        capture_.Remove();
        state_.keyDefinition.Abandon();
    }
}

void ControlKeysDialog::ShowKeyNames() {
    for (int slot = 0; slot < kControlKeyCount; ++slot) {
        const std::u16string name = DecodeCodePageText(KeyName(state_.controlKeys[slot]));
        nameFields_[slot]->setText(QString::fromStdU16String(name));
    }
}

void ControlKeysDialog::OnDefaultKeys() {
    // Works during a definition too, which goes on with its next prompt.
    RestoreDefaultKeys(state_.controlKeys);
    ShowKeyNames();
}

void ControlKeysDialog::OnDefineKeys() {
    if (!state_.keyDefinition.Begin(state_.controlKeys)) {
        return;
    }
    ShowKeyNames();
    prompt_->setText(QString::fromLatin1(state_.keyDefinition.Prompt()));
    capture_.Install();
}

void ControlKeysDialog::OnCapturedKey(int virtualKey, bool released, bool autoRepeat) {
    // A key the game cannot tell apart from others has no code; binding it would leave the
    // action unbound, so it is taken without moving to the next prompt.
    if (virtualKey == 0) {
        return;
    }
    KeyDefinition& definition = state_.keyDefinition;
    if (definition.OnKeyEvent(state_.controlKeys, static_cast<std::uint32_t>(virtualKey), released,
                              autoRepeat)) {
        ShowKeyNames();
        prompt_->setText(QString::fromLatin1(definition.Prompt()));
    }
    // After the fifth key the keys belong to the program again.
    if (!definition.definingKeys) {
        capture_.Remove();
    }
}

void ControlKeysDialog::OnOk() {
    if (state_.keyDefinition.definingKeys) {
        return;
    }
    // A failed save has been reported; the dialog closes all the same.
    services_.SaveSettings();
    accept();
}

void ControlKeysDialog::reject() {
    if (state_.keyDefinition.definingKeys) {
        return;
    }
    QDialog::reject();
}

} // namespace wz
