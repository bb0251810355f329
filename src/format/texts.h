#pragma once
// The project archive's own texts (packing, unpacking, why an archive is
// refused); the core's shared titles stay in model/texts.h.
#include "model/texts.h"

namespace livra {

// The project archive: why one is refused (the entry's name follows).
inline constexpr const char* kArchiveNotZipText = "Файл не является архивом проекта или обрезан";
inline constexpr const char* kArchiveUnsupportedText = "Архив записан в неподдерживаемом виде";
inline constexpr const char* kArchiveDamagedText = "Архив повреждён";
inline constexpr const char* kArchiveBadNameText = "Недопустимое имя файла в архиве";
inline constexpr const char* kArchiveDuplicateText = "Файл повторяется в архиве";
inline constexpr const char* kArchiveTooLargeText = "Архив слишком велик";
inline constexpr const char* kArchiveChecksumText = "Контрольная сумма не совпадает";
inline constexpr const char* kPackNoProjectText = "Не удалось прочитать файл проекта ";
inline constexpr const char* kPackNotProjectText = "Файл не является проектом: ";
inline constexpr const char* kPackReadFailedText = "Не удалось прочитать файл ";
inline constexpr const char* kPackWriteFailedText = "Не удалось записать ";
inline constexpr const char* kPackNamesText = "Имена файлов проекта нельзя записать в архив";
inline constexpr const char* kUnpackNoProjectText = "В архиве нет файла проекта (.ptm)";
inline constexpr const char* kUnpackSeveralProjectsText = "В архиве несколько файлов проекта (.ptm)";
inline constexpr const char* kUnpackExistsText = "Уже есть другой файл ";
// Followed by the picture's file name.
inline constexpr const char* kPlanPictureMissingText = "Не найден рисунок плана перекрестка ";

}  // namespace livra
