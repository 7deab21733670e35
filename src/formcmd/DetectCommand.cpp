// velmora-form detect: the fields printed on a form's picture found and named.
#include "document/FormFile.h"
#include "formcmd/FormCommand.h"
#include "platform/CodePage.h"
#include "vision/ProposalFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>
#include <cstdio>

namespace {

QJsonArray proposalsAsJson(const std::vector<FieldProposal>& proposals)
{
    QJsonArray list;
    for (const FieldProposal& p : proposals) {
        QJsonObject rect{{"left", p.rect.left}, {"top", p.rect.top}, {"width", p.rect.width()},
                         {"height", p.rect.height()}};
        QJsonObject item{{"rect", rect},
                         {"name", QString::fromStdString(p.name)},
                         {"kind", QLatin1String(proposalKindName(p.kind))},
                         {"confidence", std::round(p.confidence * 100) / 100},
                         {"font_points", p.fontPoints}};
        if (p.kind == ProposalKind::Comb)
            item.insert("cells", p.combCells);
        list.append(item);
    }
    return list;
}

int runDetect(const QStringList& arguments)
{
    int status = kExitOk;
    const std::optional<CommandLine> line =
        startCommand(kDetectCommand, arguments, {"-o", "--lang"}, {"--json"}, QStringLiteral("give exactly one form file"), status);
    if (!line)
        return status;
    const QString language = line->value(QStringLiteral("--lang")).value_or(QStringLiteral("eng"));
    if (language.isEmpty())
        return usageError(kDetectCommand, QStringLiteral("--lang takes a language such as eng, deu or eng+deu"));
    const QString& file = line->positional[0];
    FormDocument document;
    if (!openForm(file, document))
        return kExitFailed;

    const DetectionOptions options = detectionOptionsFor(document, language.toStdString(), ansiToUtf8);
    PercentReport report(QStringLiteral("finding fields"), false);
    const DetectionResult result = detectFields(document.picture.get(), options, [&](int percent) {
        report(percent);
        return true;
    });
    report.finish();
    if (!result.error.empty())
        return commandFailed(QString::fromStdString(result.error));

    QTextStream out(stdout);
    if (line->flags.count(QStringLiteral("--json"))) {
        out << QJsonDocument(proposalsAsJson(result.proposals)).toJson(QJsonDocument::Indented);
    } else {
        int number = 0;
        for (const FieldProposal& p : result.proposals)
            out << QStringLiteral("%1. \"%2\" %3 at %4,%5-%6,%7\n")
                       .arg(++number)
                       .arg(QString::fromStdString(p.name))
                       .arg(QLatin1String(proposalKindName(p.kind)))
                       .arg(p.rect.left)
                       .arg(p.rect.top)
                       .arg(p.rect.right)
                       .arg(p.rect.bottom);
    }
    out.flush();
    const int found = int(result.proposals.size());
    std::fprintf(stderr, "velmora-form detect: %d %s found\n", found, found == 1 ? "field" : "fields");

    const std::optional<QString> output = line->value(QStringLiteral("-o"));
    if (!output)
        return kExitOk;
    const FontSpec font;
    for (const FieldProposal& p : result.proposals)
        document.fields.push_back(fieldFromProposal(p, font, utf8ToAnsi));
    return saveForm(*output, document);
}

}  // namespace

const FormCommand kDetectCommand{
    "detect", "the fields printed on a form found and named after their labels",
    "Usage: velmora-form detect FORM.frm [-o OUT.frm] [--lang eng] [--json]\n"
    "Finds the boxes, the underlines after a label, the rows of character boxes (one field each, \"[comb N]\" in\n"
    "the name) and the table cells printed on the form's picture, where the form has no field yet, and names\n"
    "each after the label before or above it. Prints the proposals, one a line: number, name, kind, rectangle\n"
    "in picture pixels. --json: the proposals as a JSON list (rect, name, kind, confidence, font_points, cells);\n"
    "-o: writes the form with the proposals added as fields; --lang: the Tesseract language(s) of the labels,\n"
    "such as eng, deu or eng+deu (default eng).\n",
    runDetect};
