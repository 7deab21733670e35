#include "editor/FieldCommands.h"

void deleteSelectedField(FormDocument& document)
{
    if (!document.selectedField())
        return;
    document.deleteField(document.SelectedField);
    document.SelectedField = int32_t(document.fields.size());
}

void duplicateSelectedField(FormDocument& document, const FontSpec& defaultFont, const std::string& nameBoxText)
{
    if (!document.selectedField())
        return;
    // Appending may move the fields in memory, so the original is read again afterwards.
    const int32_t original = document.SelectedField;
    FormField& copy = document.addField(defaultFont);
    const FormField& source = document.fields[size_t(original - 1)];
    copy.font = source.font;
    copy.left = source.left + 8;
    copy.top = source.top + 8;
    copy.right = source.right + 8;
    copy.bottom = source.bottom + 8;
    document.fields[size_t(original - 1)].name = nameBoxText;
    document.SelectedField = int32_t(document.fields.size());
}

PositionSize positionSizeOf(const FormField& field)
{
    return {field.left, field.top, field.right - field.left, field.bottom - field.top};
}

void applyPositionSize(FormDocument& document, const PositionSize& values)
{
    FormField* field = document.selectedField();
    if (!field)
        return;
    field->left = values.left;
    field->top = values.top;
    field->right = values.left + values.width;
    field->bottom = values.top + values.height;
    document.normaliseSelected();
}

std::string positionSizeText(const FormField& field)
{
    const PositionSize p = positionSizeOf(field);
    return "(" + std::to_string(p.left) + ";" + std::to_string(p.top) + ")-[" + std::to_string(p.width) + ";"
           + std::to_string(p.height) + "]";
}
