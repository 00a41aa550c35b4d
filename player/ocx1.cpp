#include "player/ocx1.h"

COcx1::COcx1(QWidget* parent) : QWidget(parent) {}

void COcx1::put_URL(const QString& path) { m_url = path; }

QString COcx1::get_URL() const { return m_url; }
