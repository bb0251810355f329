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
    std::string maxDur;    // empty when absent
};

struct SumoTlLogic {
    std::string id;
    std::string programId;
    std::string type;
    std::vector<SumoPhase> phases;
    int line = 0;
    bool programIdGiven = true;  // absent: SUMO takes it as "0"
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

// What a .net.xml adds for the traffic lights' links: the internal lanes
// (their shapes and speeds give the geometry), the connections (a link index
// of a traffic light, the lane it runs over) and each signalled junction's
// right of way. Numbers are read and bounded by the reader.
struct SumoPoint {
    double x = 0, y = 0;
};

struct SumoLane {
    std::string id;
    std::string edgeFunction;  // "internal", "crossing", "walkingarea"
    double speed = 0;          // m/s
    double length = 0;         // m
    std::vector<SumoPoint> shape;
};

struct SumoConnection {
    std::string from, to;  // edge ids
    int fromLane = 0, toLane = 0;
    std::string via;       // internal lane id, empty when none
    std::string tl;        // traffic light id, empty when not signalled
    int linkIndex = -1;
};

struct SumoRequest {
    int index = 0;
    std::string response, foes;  // one character per link, the last link first
};

struct SumoJunction {
    std::string id;
    std::vector<std::string> intLanes;
    std::vector<SumoRequest> requests;
};

struct SumoAdditional {
    std::vector<SumoTlLogic> tlLogics;
    std::vector<SumoWaut> wauts;
    std::vector<SumoWautJunction> wautJunctions;
    // Only a net file fills these.
    bool isNet = false;
    std::vector<SumoLane> internalLanes;  // of internal and crossing edges
    std::vector<std::string> crossingEdges;
    std::vector<SumoConnection> connections;  // signalled ones and those leaving internal lanes
    std::vector<SumoJunction> junctions;      // those with a right-of-way table
};

}  // namespace livra
