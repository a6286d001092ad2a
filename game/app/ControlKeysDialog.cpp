#include "ControlKeysDialog.h"

#include "DialogLayout.h"
#include "DialogUnits.h"
#include "DialogWindow.h"
#include "GameServices.h"
#include "GameState.h"
#include "KeyDefinition.h"
#include "NameCodePage.h"

#include <QLabel>
#include <QPushButton>

#include <vector>

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

// Every text a name field can show: the name of every code, and the text it opens with.
std::vector<QString> KeyNameTexts() {
    std::vector<QString> texts{QStringLiteral("None")};
    for (int code = 0; code <= 0xFF; ++code) {
        texts.push_back(QString::fromStdU16String(
            DecodeCodePageText(KeyName(static_cast<std::uint8_t>(code)))));
    }
    return texts;
}

// Every text the prompt line can show.
std::vector<QString> PromptTexts() {
    std::vector<QString> texts;
    texts.reserve(std::size(definePrompts));
    for (const std::string_view prompt : definePrompts) {
        texts.push_back(QString::fromLatin1(prompt.data(), static_cast<qsizetype>(prompt.size())));
    }
    return texts;
}

} // namespace

ControlKeysDialog::ControlKeysDialog(QWidget* owner, GameState& state, GameServices& services)
    : QDialog(owner, kDialogWindowFlags), state_(state), services_(services),
      capture_([this](int key, bool released, bool autoRepeat) {
          OnCapturedKey(key, released, autoRepeat);
      }) {
    SetUpDialogWindow(*this, "Control Keys");

    // Created in the order the focus moves through them.
    auto* defaultKeys = MakeButton(*this, "Default Keys", kDefaultKeysId, {});
    auto* defineKeys = MakeButton(*this, "Define Keys", kDefineKeysId, {});
    auto* ok = MakeButton(*this, "OK", kOkButtonId, {});
    ok->setDefault(true);
    prompt_ = MakeLabel(*this, "", kPromptLineId, {});
    prompt_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    std::vector<GrowingControl> layout = {
        {defaultKeys, 76, 5, 45, 12, ButtonTextWidth(*defaultKeys)},
        {defineKeys, 76, 25, 45, 12, ButtonTextWidth(*defineKeys)},
        {ok, 76, 45, 45, 12, ButtonTextWidth(*ok)},
        {prompt_, 11, 63, 105, 8, LabelTextWidth(*prompt_, PromptTexts()), Anchor::Centred},
    };
    for (const Caption& caption : kCaptions) {
        QLabel* label = MakeLabel(*this, caption.text, 0, {});
        layout.push_back({label, caption.x, caption.y, caption.width, caption.height,
                          LabelTextWidth(*label, {label->text()})});
    }
    const std::vector<QString> names = KeyNameTexts();
    for (int slot = 0; slot < kControlKeyCount; ++slot) {
        nameFields_[slot] = MakeLabel(*this, "None", kKeyNameFieldId + slot, {});
        layout.push_back({nameFields_[slot], 36, kNameRowOfSlot[slot], 32, 8,
                          LabelTextWidth(*nameFields_[slot], names)});
    }
    setFixedSize(LayOutGrowing(DialogUnits(font()), 128, 78, layout));
    defaultKeys->setFocus();

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
