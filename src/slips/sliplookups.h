#pragma once

#include <QString>

#include <optional>

#include "partnerside.h"

class QWidget;

// The master lookup dialogs the slip windows and search dialogs open: each is
// created over `owner`, shown modally and released; the chosen code, or
// nothing when the user cancelled.
namespace SlipLookups {

std::optional<QString> pickPartner(QWidget* owner, const PartnerSide& side);
std::optional<QString> pickEmployee(QWidget* owner);
std::optional<QString> pickItem(QWidget* owner);

}  // namespace SlipLookups
