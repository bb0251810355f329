#pragma once
// What the link tells the object's passport: the controller's model from
// "Инф.о ДК", and after a verified write when, to which controller and which
// revision went.
#include <cstdint>
#include <vector>

#include "app/controller_commands.h"

namespace livra {

// The record of writing joins the object data; the project is marked
// modified, so the record is saved with it.
void recordVerifiedWrite(Configuration& c, const std::vector<uint8_t>& identity, const LocalDateTime& when);

// "Инф.о ДК" with the model noted in the passport (a change marks the
// project modified).
LinkOutcome showControllerInfoNoted(Configuration& c, LinkContext& link, UserDialogs& ui);

}  // namespace livra
