#include "check/intergreen_calculator.h"

#include <cmath>
#include <cstdio>

#include "model/configuration.h"

namespace livra {
namespace {

bool pedestrian(uint8_t kind) { return kind == DirPedestrian; }
bool tram(uint8_t kind) { return kind == DirTram1 || kind == DirTram2 || kind == DirTram3; }

// A number as the engineer writes it: decimal comma, no trailing zeros.
std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    for (char& ch : s)
        if (ch == '.') ch = ',';
    if (s == "-0") s = "0";
    return s;
}

}  // namespace

IntergreenInputs defaultIntergreenInputs(uint8_t fromKind, uint8_t toKind) {
    IntergreenInputs in;
    in.clearingDistance = 0;
    in.vehicleLength = pedestrian(fromKind) ? 0 : tram(fromKind) ? 15 : 6;
    in.clearingSpeed = pedestrian(fromKind) ? 1.2 : 10;
    in.enteringDistance = 0;
    in.enteringSpeed = pedestrian(toKind) ? 1.2 : 10;
    in.crossingTime = pedestrian(fromKind) ? 0 : 3;
    return in;
}

IntergreenResult computeIntergreen(const IntergreenInputs& in) {
    IntergreenResult r;
    const double values[] = {in.clearingDistance, in.vehicleLength, in.clearingSpeed,
                             in.enteringDistance, in.enteringSpeed, in.crossingTime};
    for (double v : values) {
        if (!std::isfinite(v) || v < 0) {
            r.error = "Значения не могут быть отрицательными";
            return r;
        }
    }
    if (in.clearingDistance > 1000 || in.enteringDistance > 1000 || in.vehicleLength > 100) {
        r.error = "Расстояние больше 1000 м или длина больше 100 м";
        return r;
    }
    // The conflict point always lies some way past the clearing stop line;
    // 0 is a distance nobody measured, and a plausible result from it misleads.
    if (in.clearingDistance <= 0) {
        r.error = "Укажите путь освобождения s₀: от стоп-линии освобождающего направления до точки конфликта";
        return r;
    }
    if (in.clearingSpeed <= 0) {
        r.error = "Скорость освобождения v_r должна быть больше 0";
        return r;
    }
    if (in.enteringDistance > 0 && in.enteringSpeed <= 0) {
        r.error = "Скорость въезда v_e должна быть больше 0";
        return r;
    }
    if (in.clearingSpeed > 50 || in.enteringSpeed > 50 || in.crossingTime > 60) {
        r.error = "Скорость больше 50 м/с или время проезда больше 60 с";
        return r;
    }
    const double entering = in.enteringDistance > 0 ? in.enteringDistance / in.enteringSpeed : 0;
    r.exact = in.crossingTime + (in.clearingDistance + in.vehicleLength) / in.clearingSpeed - entering;
    // Rounded up, but 3.0000000001 from the binary fractions is still 3.
    const double up = std::ceil(r.exact - 1e-9);
    r.seconds = up < 0 ? 0 : int(up);
    r.formula = "t_z = " + number(in.crossingTime) + " + (" + number(in.clearingDistance) + " + " +
                number(in.vehicleLength) + ") / " + number(in.clearingSpeed) + " − " + number(in.enteringDistance) +
                " / " + number(in.enteringSpeed) + " = " + number(r.exact) + " → " + std::to_string(r.seconds) + " с";
    if (r.seconds > 255) {
        r.error = "Промежуточное время больше 255 с";
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace livra
