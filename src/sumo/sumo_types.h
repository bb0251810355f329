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
    // Written by the export of push-button programs (actuated), else empty.
    std::string next;         // successor phases when a call may be skipped
    std::string earlyTarget;  // when an actuated phase may end into this one
    std::string finalTarget;  // when a phase at its end goes into this one
};

// A named value of an actuated program and a conditional change of it.
struct SumoCondition {
    std::string id, value;
};
struct SumoAssignment {
    std::string id, check, value;
};

// A detector loop that counts walkers whose way leads over `nextEdges`.
struct SumoPersonLoop {
    std::string id, lane;
    double pos = 0;
    std::string nextEdges;
};

struct SumoTlLogic {
    std::string id;
    std::string programId;
    std::string type;
    std::vector<SumoPhase> phases;
    int line = 0;
    bool programIdGiven = true;  // absent: SUMO takes it as "0"
    std::vector<SumoCondition> conditions;    // actuated programs only
    std::vector<SumoAssignment> assignments;  // run in order whenever SUMO decides
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
    std::vector<SumoPersonLoop> personLoops;  // the export's call detectors
    // Only a net file fills these.
    bool isNet = false;
    std::vector<SumoLane> internalLanes;  // of internal, crossing and walking-area edges
    std::vector<std::string> crossingEdges;
    std::vector<SumoConnection> connections;  // signalled ones and those leaving internal lanes
    std::vector<SumoJunction> junctions;      // those with a right-of-way table
};

}  // namespace livra
