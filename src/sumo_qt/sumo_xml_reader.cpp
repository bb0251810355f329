#include "sumo_qt/sumo_xml_reader.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include "model/files.h"

namespace livra {

namespace {

constexpr const char* kPrefix = "Файл SUMO не прочитан: ";

std::string text(QStringView s) { return s.toString().toStdString(); }

}  // namespace

SumoReadResult parseSumoXml(std::string_view bytes) {
    SumoReadResult result;
    if (bytes.size() > kMaxSumoFileSize) {
        result.error = std::string(kPrefix) + "файл больше " + std::to_string(kMaxSumoFileSize >> 20) + " МБ";
        return result;
    }
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    SumoAdditional file;
    int depth = 0;
    bool rootSeen = false;
    SumoTlLogic* logic = nullptr;  // the open tlLogic
    int logicDepth = -1;
    std::size_t phases = 0;
    auto fail = [&](long line, const std::string& why) {
        result.error = std::string(kPrefix) + "строка " + std::to_string(line) + ": " + why;
        return result;
    };
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        const long line = long(xml.lineNumber());
        switch (token) {
        case QXmlStreamReader::DTD:
            return fail(line, "объявления DTD и сущности не принимаются");
        case QXmlStreamReader::EntityReference:
            return fail(line, "ссылки на сущности не принимаются");
        case QXmlStreamReader::StartElement: {
            if (++depth > kMaxSumoDepth) return fail(line, "вложенность глубже " + std::to_string(kMaxSumoDepth));
            const auto name = xml.name();
            const auto attrs = xml.attributes();
            for (const auto& at : attrs)
                if (at.value().size() > qsizetype(kMaxSumoAttribute))
                    return fail(line, "значение атрибута длиннее " + std::to_string(kMaxSumoAttribute) + " знаков");
            if (!rootSeen) {
                rootSeen = true;
                if (name != u"additional" && name != u"tlLogics" && name != u"net")
                    return fail(line, "корневой элемент <" + text(name) +
                                          ">, а ожидается <additional>, <tlLogics> или <net>");
            } else if (name == u"tlLogic" && !logic) {
                if (file.tlLogics.size() >= kMaxSumoPrograms)
                    return fail(line, "программ больше " + std::to_string(kMaxSumoPrograms));
                file.tlLogics.push_back(SumoTlLogic{text(attrs.value("id")), text(attrs.value("programID")),
                                                    text(attrs.value("type")), {}, int(line)});
                logic = &file.tlLogics.back();
                logicDepth = depth;
            } else if (name == u"phase" && logic && depth == logicDepth + 1) {
                if (++phases > kMaxSumoPhases) return fail(line, "фаз больше " + std::to_string(kMaxSumoPhases));
                SumoPhase ph;
                ph.duration = text(attrs.value("duration"));
                ph.minDur = text(attrs.value("minDur"));
                ph.state = text(attrs.value("state"));
                ph.name = text(attrs.value("name"));
                ph.hasNext = attrs.hasAttribute("next");
                ph.line = int(line);
                logic->phases.push_back(std::move(ph));
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (logic && depth == logicDepth) logic = nullptr;
            --depth;
            break;
        default: break;
        }
    }
    if (xml.hasError()) return fail(long(xml.lineNumber()), xml.errorString().toStdString());
    if (!rootSeen) return fail(1, "в файле нет XML-элементов");
    result.file = std::move(file);
    return result;
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
