#pragma once
// Writing diagrams to files: PNG, SVG and A4 PDF pages. Every
// function returns an empty text on success and the user's message otherwise;
// files are replaced atomically.
#include <QImage>
#include <optional>
#include <string>

#include "diagram/diagram_layout.h"

namespace livra::diagram {

enum class FileKind { Png, Svg, Pdf };

// By the file's extension, in any letter case.
std::optional<FileKind> fileKindOf(const std::string& path);

// The diagram as the screen and PNG/SVG show it: 1100 logical pixels wide.
Geometry screenGeometry(double width = 1100);

QImage diagramImage(const DiagramLayout& d);

// PNG and SVG as one picture; PDF on A4 landscape pages.
std::string writeDiagram(const Timeline& t, const std::string& path);

// "Не удалось записать файл …", shared by the commands that write.
std::string writeFailedText(const std::string& path);
extern const char* const kUnknownFileKindText;

}  // namespace livra::diagram
