#include "dbtext.h"

#include <exception>

#include "fieldlink.h"

DbText::DbText(QWidget* parent)
    : QLabel(parent),
      m_link(new FieldLink(
          this,
          [this](const Field& value) {
              try {
                  setText(value.display(m_format));
              } catch (const std::exception&) {
                  setText(value.asText());
              }
          },
          [] { return QVariant(); }))
{
    m_link->setManagesEnabled(false);
    setTextFormat(Qt::PlainText);
}

void DbText::bind(Dataset& dataset, const QString& field, DisplayFormat format)
{
    m_format = format;
    if (format == DisplayFormat::Money || format == DisplayFormat::Price || format == DisplayFormat::Quantity)
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_link->bind(dataset, field);
}
