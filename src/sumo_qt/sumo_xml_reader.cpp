#include "sumo_qt/sumo_xml_reader.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <charconv>
#include <cmath>

#include "model/files.h"

#ifdef LIVRA_HAVE_ZLIB
#include <zlib.h>
#endif

namespace livra {

namespace {

constexpr const char* kPrefix = "Файл SUMO не прочитан: ";

std::string text(QStringView s) { return s.toString().toStdString(); }

struct Bad {
    std::string why;
};

std::string quoted(const std::string& s) { return "«" + s.substr(0, 40) + (s.size() > 40 ? "…" : "") + "»"; }

double realAttr(const QXmlStreamAttributes& attrs, const char* name, double lo, double hi, double absent) {
    if (!attrs.hasAttribute(name)) return absent;
    const std::string v = text(attrs.value(name));
    double x = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), x);
    if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(x) || x < lo || x > hi)
        throw Bad{std::string("атрибут ") + name + " " + quoted(v) + " — нужно число " + std::to_string(int(lo)) +
                  ".." + std::to_string(long(hi))};
    return x;
}

int intAttr(const QXmlStreamAttributes& attrs, const char* name, int lo, int hi, int absent) {
    if (!attrs.hasAttribute(name)) return absent;
    const std::string v = text(attrs.value(name));
    int x = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), x);
    if (ec != std::errc() || end != v.data() + v.size() || x < lo || x > hi)
        throw Bad{std::string("атрибут ") + name + " " + quoted(v) + " — нужно целое число " + std::to_string(lo) +
                  ".." + std::to_string(hi)};
    return x;
}

// "x,y x,y …" (a third coordinate, when present, is height and ignored).
std::vector<SumoPoint> shapeAttr(const QXmlStreamAttributes& attrs) {
    std::vector<SumoPoint> points;
    const std::string v = text(attrs.value("shape"));
    std::size_t i = 0;
    auto number = [&](double& out) {
        const auto [end, ec] = std::from_chars(v.data() + i, v.data() + v.size(), out);
        if (ec != std::errc() || !std::isfinite(out) || std::fabs(out) > kMaxSumoCoordinate)
            throw Bad{"атрибут shape " + quoted(v) + " — нужны точки x,y с координатами не больше 1e8 по модулю"};
        i = std::size_t(end - v.data());
    };
    while (i < v.size()) {
        if (v[i] == ' ') {
            ++i;
            continue;
        }
        SumoPoint p;
        number(p.x);
        if (i >= v.size() || v[i] != ',') throw Bad{"атрибут shape " + quoted(v) + " — нужны точки x,y"};
        ++i;
        number(p.y);
        if (i < v.size() && v[i] == ',') {
            ++i;
            double z = 0;
            number(z);
        }
        if (i < v.size() && v[i] != ' ') throw Bad{"атрибут shape " + quoted(v) + " — нужны точки x,y"};
        points.push_back(p);
    }
    return points;
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t j = s.find(' ', i);
        const std::size_t end = j == std::string::npos ? s.size() : j;
        if (end > i) out.push_back(s.substr(i, end - i));
        i = end + 1;
    }
    return out;
}

bool gzipped(std::string_view bytes) {
    return bytes.size() >= 2 && uint8_t(bytes[0]) == 0x1f && uint8_t(bytes[1]) == 0x8b;
}

// Unpacks a gzip stream, never beyond the size cap (a small file may unpack
// to gigabytes).
std::optional<std::string> gunzip(std::string_view bytes, std::string& error) {
#ifdef LIVRA_HAVE_ZLIB
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) {
        error = "не удалось распаковать gzip";
        return std::nullopt;
    }
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    int rc = Z_OK;
    char chunk[65536];
    while (rc != Z_STREAM_END) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            error = "сжатые данные gzip повреждены";
            return std::nullopt;
        }
        out.append(chunk, sizeof chunk - z.avail_out);
        if (out.size() > kMaxSumoFileSize) {
            inflateEnd(&z);
            error = "распакованный файл больше " + std::to_string(kMaxSumoFileSize >> 20) + " МБ";
            return std::nullopt;
        }
        if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) {
            inflateEnd(&z);
            error = "сжатые данные gzip обрываются";
            return std::nullopt;
        }
    }
    inflateEnd(&z);
    return out;
#else
    (void)bytes;
    error = "файлы .gz эта сборка не распаковывает: распакуйте его (gunzip)";
    return std::nullopt;
#endif
}

SumoReadResult parseXml(std::string_view bytes) {
    SumoReadResult result;
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    SumoAdditional file;
    int depth = 0;
    bool rootSeen = false;
    SumoTlLogic* logic = nullptr;  // the open tlLogic
    int logicDepth = -1;
    std::string edgeFunction;  // of the open edge
    std::string edgeId;
    int edgeDepth = -1;
    SumoJunction* junction = nullptr;
    int junctionDepth = -1;
    std::size_t phases = 0, requests = 0;
    auto fail = [&](long line, const std::string& why) {
        result.error = std::string(kPrefix) + "строка " + std::to_string(line) + ": " + why;
        return result;
    };
    auto cap = [&](std::size_t n, const char* what) {
        if (n >= kMaxSumoNetItems) throw Bad{std::string(what) + " больше " + std::to_string(kMaxSumoNetItems)};
    };
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        const long line = long(xml.lineNumber());
        try {
            switch (token) {
            case QXmlStreamReader::DTD: return fail(line, "объявления DTD и сущности не принимаются");
            case QXmlStreamReader::EntityReference: return fail(line, "ссылки на сущности не принимаются");
            case QXmlStreamReader::StartElement: {
                if (++depth > kMaxSumoDepth)
                    return fail(line, "вложенность глубже " + std::to_string(kMaxSumoDepth));
                const auto name = xml.name();
                const auto attrs = xml.attributes();
                for (const auto& at : attrs)
                    if (at.value().size() > qsizetype(kMaxSumoAttribute))
                        return fail(line, "значение атрибута длиннее " + std::to_string(kMaxSumoAttribute) + " знаков");
                if (!rootSeen) {
                    rootSeen = true;
                    if (name != u"additional" && name != u"add" && name != u"tlLogics" && name != u"net")
                        return fail(line, "корневой элемент <" + text(name) +
                                              ">, а ожидается <additional>, <add>, <tlLogics> или <net>");
                    file.isNet = name == u"net";
                } else if (name == u"tlLogic" && !logic) {
                    if (file.tlLogics.size() >= kMaxSumoPrograms)
                        return fail(line, "программ больше " + std::to_string(kMaxSumoPrograms));
                    SumoTlLogic l{text(attrs.value("id")), text(attrs.value("programID")), text(attrs.value("type")),
                                  {}, int(line)};
                    if (!attrs.hasAttribute("programID")) {
                        l.programId = "0";
                        l.programIdGiven = false;
                    }
                    file.tlLogics.push_back(std::move(l));
                    logic = &file.tlLogics.back();
                    logicDepth = depth;
                } else if (name == u"phase" && logic && depth == logicDepth + 1) {
                    if (++phases > kMaxSumoPhases) return fail(line, "фаз больше " + std::to_string(kMaxSumoPhases));
                    SumoPhase ph;
                    ph.duration = text(attrs.value("duration"));
                    ph.minDur = text(attrs.value("minDur"));
                    ph.maxDur = text(attrs.value("maxDur"));
                    ph.state = text(attrs.value("state"));
                    ph.name = text(attrs.value("name"));
                    ph.hasNext = attrs.hasAttribute("next");
                    ph.line = int(line);
                    logic->phases.push_back(std::move(ph));
                } else if (!file.isNet) {
                    // An additional file's other elements are not ours.
                } else if (name == u"edge" && depth == 2) {
                    edgeId = text(attrs.value("id"));
                    edgeFunction = text(attrs.value("function"));
                    edgeDepth = depth;
                    if (edgeFunction == "crossing") {
                        cap(file.crossingEdges.size(), "переходов");
                        file.crossingEdges.push_back(edgeId);
                    }
                } else if (name == u"lane" && depth == edgeDepth + 1 &&
                           (edgeFunction == "internal" || edgeFunction == "crossing" ||
                            edgeFunction == "walkingarea")) {
                    cap(file.internalLanes.size(), "внутренних полос");
                    SumoLane lane;
                    lane.id = text(attrs.value("id"));
                    lane.edgeFunction = edgeFunction;
                    lane.speed = realAttr(attrs, "speed", 0, kMaxSumoSpeed, 0);
                    lane.length = realAttr(attrs, "length", 0, kMaxSumoLength, 0);
                    lane.shape = shapeAttr(attrs);
                    file.internalLanes.push_back(std::move(lane));
                } else if (name == u"connection" && depth == 2) {
                    SumoConnection k;
                    k.from = text(attrs.value("from"));
                    k.via = text(attrs.value("via"));
                    k.tl = text(attrs.value("tl"));
                    if (k.tl.empty() && (k.via.empty() || k.from.empty() || k.from[0] != ':')) break;
                    cap(file.connections.size(), "соединений");
                    k.to = text(attrs.value("to"));
                    k.fromLane = intAttr(attrs, "fromLane", 0, kMaxSumoLaneIndex, 0);
                    k.toLane = intAttr(attrs, "toLane", 0, kMaxSumoLaneIndex, 0);
                    // -1: the light does not signal this connection.
                    k.linkIndex = intAttr(attrs, "linkIndex", -1, kMaxSumoLinkIndex, -1);
                    if (k.linkIndex < 0) k.tl.clear();
                    if (k.tl.empty() && k.via.empty()) break;
                    file.connections.push_back(std::move(k));
                } else if (name == u"junction" && depth == 2) {
                    cap(file.junctions.size(), "перекрёстков");
                    file.junctions.push_back(SumoJunction{text(attrs.value("id")), words(text(attrs.value("intLanes"))), {}});
                    junction = &file.junctions.back();
                    junctionDepth = depth;
                } else if (name == u"request" && junction && depth == junctionDepth + 1) {
                    cap(requests++, "строк права проезда");
                    SumoRequest rq;
                    rq.index = intAttr(attrs, "index", 0, kMaxSumoLinkIndex, -1);
                    if (rq.index < 0) throw Bad{"у строки request нет index"};
                    rq.response = text(attrs.value("response"));
                    rq.foes = text(attrs.value("foes"));
                    for (const std::string* bits : {&rq.response, &rq.foes})
                        if (bits->find_first_not_of("01") != std::string::npos)
                            throw Bad{"строка request: в response и foes только 0 и 1"};
                    junction->requests.push_back(std::move(rq));
                }
                break;
            }
            case QXmlStreamReader::EndElement:
                if (logic && depth == logicDepth) logic = nullptr;
                if (depth == edgeDepth) edgeDepth = -1, edgeFunction.clear();
                if (junction && depth == junctionDepth) {
                    // Junctions without a right-of-way table are no use here.
                    if (junction->requests.empty()) file.junctions.pop_back();
                    junction = nullptr;
                }
                --depth;
                break;
            default: break;
            }
        } catch (const Bad& b) {
            return fail(line, b.why);
        }
    }
    if (xml.hasError()) return fail(long(xml.lineNumber()), xml.errorString().toStdString());
    if (!rootSeen) return fail(1, "в файле нет XML-элементов");
    result.file = std::move(file);
    return result;
}

}  // namespace

bool sumoReaderUnpacksGzip() {
#ifdef LIVRA_HAVE_ZLIB
    return true;
#else
    return false;
#endif
}

SumoReadResult parseSumoXml(std::string_view bytes) {
    if (bytes.size() > kMaxSumoFileSize) {
        SumoReadResult result;
        result.error = std::string(kPrefix) + "файл больше " + std::to_string(kMaxSumoFileSize >> 20) + " МБ";
        return result;
    }
    if (gzipped(bytes)) {
        std::string error;
        const auto unpacked = gunzip(bytes, error);
        if (!unpacked) {
            SumoReadResult result;
            result.error = std::string(kPrefix) + error;
            return result;
        }
        return parseXml(*unpacked);
    }
    return parseXml(bytes);
}

SumoReadResult readSumoFile(const std::string& pathUtf8) {
    const auto bytes = readWholeFile(pathFromUtf8(pathUtf8), kMaxSumoFileSize);
    if (!bytes) {
        SumoReadResult r;
        r.error = std::string(kPrefix) + "не удалось открыть " + pathUtf8 + " (нет файла, не обычный файл или больше " +
                  std::to_string(kMaxSumoFileSize >> 20) + " МБ)";
        return r;
    }
    return parseSumoXml(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

}  // namespace livra
