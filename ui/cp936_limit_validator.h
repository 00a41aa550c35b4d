#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

// Limits what the user types or pastes into a line edit to a number of code page 936
// bytes: 30 bytes take 30 ASCII or 15 Chinese characters. A pasted text that does not fit
// is cut to what fits; a character that code page 936 cannot hold is refused. Text that the
// program sets is not limited, and the user may always shorten a text that is too long.
class Cp936LimitValidator : public QValidator {
    Q_OBJECT

public:
    Cp936LimitValidator(int maxBytes, QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

private:
    State ValidateUserEdit(QString& input, int& pos) const;

    int maxBytes_;
    QLineEdit* edit_;
    QString previous_;  // the edit's text before the change being validated
};

// Installs a Cp936LimitValidator of maxBytes on edit.
void SetLimitText(QLineEdit* edit, int maxBytes);
