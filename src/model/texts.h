#pragma once
// The program's own texts held by the toolkit-free core: the box titles every
// layer uses and the messages the core's rules give. They stand exactly as the
// engineers know them, spelling and line breaks included, so a text changes
// here or nowhere. The operations' texts are in app/texts.h, the desktop
// program's in ui/texts.h.
namespace livra {

// Box titles. "Ошибка" and "Внимание" are spelt three ways across the boxes;
// each box keeps the spelling its users know.
inline constexpr const char* kErrorTitle = "Ошибка";
inline constexpr const char* kErrorMarkTitle = "Ошибка!";
inline constexpr const char* kErrorSpacedMarkTitle = "Ошибка !";
inline constexpr const char* kWarningTitle = "Внимание";
inline constexpr const char* kWarningMarkTitle = "Внимание!";
inline constexpr const char* kWarningSpacedMarkTitle = "Внимание !";
inline constexpr const char* kConfirmSaveTitle = "Подтвердить сохранение";

// The project file; shown under kErrorTitle.
inline constexpr const char* kSaveErrorText = "При записи произошла ошибка.\nФайл сохранить не удалось.\n";
inline constexpr const char* kOpenErrorText = "При чтении произошла ошибка.\nФайл открыть не удалось.\n\n";
inline constexpr const char* kFormatErrorText = "Формат файла не поддерживается";
// Follows kSaveErrorText when the safety file beside the project failed.
inline constexpr const char* kSafetySaveErrorText = "Не удалось записать файл данных безопасности.\n";
// Follows kSaveErrorText when the safety file was replaced and could not be put back.
inline constexpr const char* kSafetyReplacedAloneText =
    "Файл данных безопасности уже заменён новым, проект остался прежним: ";
// The error-list line of a safety file written with other project bytes.
inline constexpr const char* kSafetyMismatchText =
    "Файл данных безопасности записан не с этой версией проекта (сохранение было прервано или проект изменён "
    "другой программой): проверьте матрицу конфликтов и сохраните проект";

// The tact list and the tact properties.
inline constexpr const char* kTableFullText = "Таблица переполнена. Для вставки нет места\n";
inline constexpr const char* kClearProgramQuestion = "Вся страница будет очищена, кроме направлений.\nВыполнить?";
inline constexpr const char* kMainTimeTooLong = "Т осн. не может превышать 255 сек\n";
inline constexpr const char* kMainTimeZero = "Т осн. не может быть 0 сек\n";
inline constexpr const char* kMinTimeTooLong = "Т мин. не может превышать 255 сек\n";
inline constexpr const char* kMinTimeZero = "Т мин. не может быть 0 сек\n";
inline constexpr const char* kMinAboveMain = "Т мин. не может быть больше Т осн\n";

// The program designed from its phases: why a design is refused, and how a
// change is explained. Phases are "Ф1", "Ф2", …, a call phase "ТВП1".
inline constexpr const char* kDesignNoMatrixText =
    "Матрица конфликтов не задана: задайте её, чтобы строить программу по фазам";
inline constexpr const char* kDesignNoPhasesText = "Задайте хотя бы одну фазу";
inline constexpr const char* kDesignTooManyPhasesText = "Фаз не может быть больше ";
inline constexpr const char* kDesignNoDirectionText = " — такого направления нет";
inline constexpr const char* kDesignNotHeadText = " не может быть на разрешающем сигнале";
inline constexpr const char* kDesignConflictText = " конфликтуют — уберите одно из них из фазы";
inline constexpr const char* kDesignNoIntergreenText = " не задано промежуточное время — задайте его в матрице конфликтов";
inline constexpr const char* kDesignTimeRangeText = " должно быть от 1 до 255 с";
inline constexpr const char* kDesignMinAboveMainText = ": Т мин больше Т осн";
inline constexpr const char* kDesignMinGreenText = " меньше наименьшего зелёного ";
inline constexpr const char* kDesignNoCallInputText = " — в направлениях нет вызывного входа ";
inline constexpr const char* kDesignCallPlaceText = " — после фазы ";
inline constexpr const char* kDesignSameNextText = " те же направления — поставьте вызов после фазы ";
inline constexpr const char* kDesignTooLongText = "Программа не помещается в 321 такт: сократите число фаз";
inline constexpr const char* kDesignNoChangeText = "без промтактов";
inline constexpr const char* kDesignDecidesText = "решает ";
inline constexpr const char* kDesignNotUserProgramText = "Программу по фазам можно построить только в программе 4..16";
inline constexpr const char* kDesignEmptyProgramText = "В программе нет тактов \"Фаза\"";

// The validator's verdict, and its gates (shown under kWarningTitle).
inline constexpr const char* kNoErrorsText = "Ошибок не обнаружено";
inline constexpr const char* kSimulationRefusedText =
    "Моделирование невозможно.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.";
// SUMO would play a configuration the controller refuses.
inline constexpr const char* kSumoExportRefusedText =
    "Экспорт в SUMO невозможен.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.";

// The controller image (shown under kWarningTitle).
inline constexpr const char* kImageTooLargeText =
    "Запись в ДК запрещена\nНет места в памяти ДК\nРазмер программы превышает допустимый предел.\n"
    "Сократите количество тактов или направлений";

// Ends a list cut short: followed by how many more.
inline constexpr const char* kAndMoreText = "… и ещё ";

// The object's passport: its fields as the dialog, the command line and the
// report name them, in the order they are shown.
inline constexpr const char* kObjectNameLabel = "Объект";
inline constexpr const char* kObjectAddressLabel = "Адрес";
inline constexpr const char* kObjectOwnerLabel = "Владелец";
inline constexpr const char* kObjectDesignerLabel = "Проектная организация";
inline constexpr const char* kObjectPreparedLabel = "Разработал";
inline constexpr const char* kObjectCheckedLabel = "Проверил";
inline constexpr const char* kObjectApprovedLabel = "Утвердил";
inline constexpr const char* kObjectRevisionLabel = "Редакция";
inline constexpr const char* kObjectRevisionDateLabel = "Дата редакции";
inline constexpr const char* kObjectModelLabel = "Модель ДК";
inline constexpr const char* kObjectSerialLabel = "Заводской номер ДК";
inline constexpr const char* kObjectNotesLabel = "Примечания";
inline constexpr const char* kDirectionNamesLabel = "Названия направлений";
inline constexpr const char* kProgramNamesLabel = "Названия программ";
inline constexpr const char* kWritesLabel = "Записи в ДК";
inline constexpr const char* kNoWritesText = "Проверенной записи в ДК ещё не было";
inline constexpr const char* kRevisionDateProblem = "дата редакции — ДД.ММ.ГГГГ, существующий день";

// The passport's report: its heading, section titles and fixed lines.
inline constexpr const char* kReportHeading = "Паспорт светофорного объекта";
inline constexpr const char* kReportSignaturesTitle = "Подписи";
inline constexpr const char* kReportSignatureColumn = "Подпись";
inline constexpr const char* kReportDateColumn = "Дата";
inline constexpr const char* kReportPlanTitle = "План перекрёстка с номерами светофоров";
inline constexpr const char* kReportPlanHeadsText = "Направлений со светофорами на плане: ";
inline constexpr const char* kReportNoPlanText = "План не задан: фазы показаны схемой.";
inline constexpr const char* kReportNoPhasesText = "В программе нет тактов вида «Фаза».";
inline constexpr const char* kReportPhasesTitle = "Схема пофазного разъезда, программа ";
inline constexpr const char* kReportProgramTableTitle = "Режим работы, программа ";
inline constexpr const char* kReportCycleText = "Цикл: ";
inline constexpr const char* kReportWithCallsText = ", с обслуживанием вызовов ТВП: ";
inline constexpr const char* kReportNoPairsText = "конфликтующих пар нет";
inline constexpr const char* kReportDecidingMark = "► ";
inline constexpr const char* kReportTooShortMark = " (меньше требуемого)";
inline constexpr const char* kReportDecidingNote =
    "► — решающая пара смены: та, по которой строится промтакт (если его решает не пара — с наименьшим запасом).";
inline constexpr const char* kReportGoingText = "Идут: ";
inline constexpr const char* kReportNobodyGoesText = "Идут: никто";
inline constexpr const char* kReportCalendarTitle = "График режима работы (недельный календарь)";
inline constexpr const char* kReportCallsTitle = "Вызывная логика (ТВП)";
inline constexpr const char* kReportNoCallsText = "Вызывных тактов нет.";
inline constexpr const char* kReportNoInputText = ", вход не задан";
inline constexpr const char* kReportFixedTitle = "Фиксированные режимы ДК";
inline constexpr const char* kReportEmptyProgramText = "не задана";
inline constexpr const char* kReportDirectionsTitle = "Направления и выходные каналы";

// The one line when two configurations are equal.
inline constexpr const char* kSameConfigurationText = "Конфигурация в ДК совпадает с проектом";

// The timing calculation from traffic counts.
inline constexpr const char* kTimingNoFlowsText =
    "Расчёт режима невозможен: нет интенсивностей движения для направлений, получающих зелёный в фазах";
inline constexpr const char* kTimingNoPhasesText = "Расчёт режима невозможен: в программе нет тактов \"Фаза\"";
inline constexpr const char* kTimingSaturatedText = "Расчёт режима невозможен: перегрузка, Y = ";  // + Y + " ≥ 1"
inline constexpr const char* kTimingOverloadText = "Перегрузка: Y = ";
inline constexpr const char* kTimingCycleTooShortText = "Цикл не длиннее суммы промтактов: ";  // + C + " с"
inline constexpr const char* kTimingUpperBoundText = "Цикл ограничен 120 с (расчётный C0 = ";
inline constexpr const char* kTimingLowerBoundText = "Цикл поднят до 25 с (расчётный C0 = ";
inline constexpr const char* kTimingRaisedText = "Зелёный поднят до минимального в фазе такта ";
inline constexpr const char* kTimingNoGreenText = "Направление не получает зелёного в фазах: напр. ";

}  // namespace livra
