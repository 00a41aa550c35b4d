#pragma once

#include <QString>
#include <QWidget>

// The embedded media player of the main window.
class COcx1 : public QWidget {
    Q_OBJECT

public:
    explicit COcx1(QWidget* parent = nullptr);

    void put_URL(const QString& path);
    QString get_URL() const;

private:
    QString m_url;
};
