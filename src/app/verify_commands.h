#pragma once
// Knowing what is in the controller: compare the open project with it, and
// check a write by reading it back. The controller's image is fetched into
// memory: the open project, its working folder and its part files are never
// touched.
#include <string>
#include <vector>

#include "app/controller_commands.h"

namespace livra {

enum class VerifyResult {
    Equal,      // the controller holds the project
    Different,  // it holds something else; the lines say what
    Failed,     // nothing was compared; the user has been told why
};

// "Сравнить с ДК": the differences (or kSameConfigurationText) go to the
// error list; `differences` receives them as well, `failure` how a Failed
// one failed (Refused: the project cannot be compared).
VerifyResult compareWithController(const Configuration& c, LinkContext& link, UserDialogs& ui,
                                   std::vector<std::string>* differences = nullptr, LinkOutcome* failure = nullptr);

// "Записать в ДК" with "Проверить после записи": the write, then a read-back.
// Ok only when the controller gives back byte for byte the image that was
// sent; Different when not (the differences are listed and the error box
// says so); a read-back that failed leaves the write unchecked.
LinkOutcome writeAndVerify(Configuration& c, LinkContext& link, UserDialogs& ui);

}  // namespace livra
