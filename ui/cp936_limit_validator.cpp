#include "ui/cp936_limit_validator.h"

#include <QLineEdit>
#include <algorithm>

#include "tag/cp936.h"

namespace {

struct Cp936Size {
    int bytes = 0;
    int unmappable = 0;  // characters that code page 936 cannot hold
};

Cp936Size MeasureCp936(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes = sonatag::Utf8ToCp936(std::string_view(utf8.constData(), utf8.size())).bytes;
    // The conversion writes '?' for each character it cannot hold.
    const auto marks = std::count(bytes.begin(), bytes.end(), '?') - std::count(utf8.begin(), utf8.end(), '?');
    return {static_cast<int>(bytes.size()), static_cast<int>(marks)};
}

// Removes the character that ends just before pos, a surrogate pair as one.
void RemoveCharacterBefore(QString& text, int& pos) {
    const int width = pos >= 2 && text.at(pos - 1).isLowSurrogate() && text.at(pos - 2).isHighSurrogate() ? 2 : 1;
    text.remove(pos - width, width);
    pos -= width;
}

}  // namespace

Cp936LimitValidator::Cp936LimitValidator(int maxBytes, QLineEdit* edit)
    : QValidator(edit), maxBytes_(maxBytes), edit_(edit), previous_(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { previous_ = text; });
}

QValidator::State Cp936LimitValidator::validate(QString& input, int& pos) const {
    // Every change the user makes can be undone; setText clears the undo history before
    // the new text is validated. So a change with nothing to undo is the program's own.
    return edit_->isUndoAvailable() ? ValidateUserEdit(input, pos) : Acceptable;
}

QValidator::State Cp936LimitValidator::ValidateUserEdit(QString& input, int& pos) const {
    const Cp936Size before = MeasureCp936(previous_);
    Cp936Size after = MeasureCp936(input);
    if (after.unmappable > before.unmappable) return Invalid;
    if (after.bytes <= maxBytes_ || after.bytes <= before.bytes) return Acceptable;
    if (before.bytes > maxBytes_) return Invalid;

    // Typing and pasting leave the cursor right after the new text: drop the end of the new
    // text until the whole fits. The old text fits, so this never reaches into it.
    QString cut = input;
    int cutPos = pos;
    while (after.bytes > maxBytes_ && cutPos > 0) {
        RemoveCharacterBefore(cut, cutPos);
        after = MeasureCp936(cut);
    }
    if (after.bytes > maxBytes_ || cut == previous_) return Invalid;
    input = cut;
    pos = cutPos;
    return Acceptable;
}

void SetLimitText(QLineEdit* edit, int maxBytes) {
    edit->setValidator(new Cp936LimitValidator(maxBytes, edit));
}
