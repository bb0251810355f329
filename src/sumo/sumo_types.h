#pragma once
// What a SUMO additional file holds for traffic lights, as plain data: the
// reader fills it from the XML text, the export fills it from a
// configuration. Attribute values stay text here, so the rules that judge
// them (whole seconds, known letters) live in one place, the import.
#include <string>
#include <vector>

namespace livra {

struct SumoPhase {
    std::string duration;
    std::string minDur;  // empty when absent
    std::string state;
    std::string name;
    bool hasNext = false;  // "next": phase skipping, which a fixed cycle cannot follow
    int line = 0;          // in the file, for messages; 0 when made here
};

struct SumoTlLogic {
    std::string id;
    std::string programId;
    std::string type;
    std::vector<SumoPhase> phases;
    int line = 0;
};

struct SumoWautSwitch {
    long time = 0;  // seconds after refTime
    std::string to;
};

struct SumoWaut {
    std::string id;
    long refTime = 0;
    long period = 0;
    std::string startProg;
    std::vector<SumoWautSwitch> switches;
};

struct SumoWautJunction {
    std::string wautId;
    std::string junctionId;
    std::string procedure;
};

struct SumoAdditional {
    std::vector<SumoTlLogic> tlLogics;
    std::vector<SumoWaut> wauts;
    std::vector<SumoWautJunction> wautJunctions;
};

}  // namespace livra
