// velmora-form deskew: the skew of a form's picture measured, and the picture straightened.
#include "document/FormFile.h"
#include "formcmd/FormCommand.h"
#include "vision/Deskew.h"

#include <QTextStream>

namespace {

int runDeskew(const QStringList& arguments)
{
    int status = kExitOk;
    FormDocument document;
    const std::optional<CommandLine> line = startFormCommand(kDeskewCommand, arguments, {"-o"}, {}, document, status);
    if (!line)
        return status;

    const SkewMeasurement skew = measureSkew(document.picture.get());
    if (!skew.degrees)
        return commandFailed(QString::fromStdString(skew.error));
    QTextStream(stdout) << QStringLiteral("%1\n").arg(*skew.degrees, 0, 'f', 2);

    const std::optional<QString> output = line->value(QStringLiteral("-o"));
    if (!output)
        return kExitOk;
    PercentReport report(QStringLiteral("straightening"), false);
    DibOwner straight(straightenedDib(document.picture.get(), *skew.degrees, [&](int percent) { report(percent); }));
    report.finish();
    if (!straight)
        return commandFailed(QStringLiteral("there is not enough memory to straighten the picture"));
    document.picture.reset(straight.release());
    return saveForm(*output, document);
}

}  // namespace

const FormCommand kDeskewCommand{
    "deskew", "the skew of a form's picture measured and taken out",
    "Usage: velmora-form deskew FORM.frm [-o OUT.frm]\n"
    "Measures how far the form's picture lies askew (from its printed lines and rows of text, up to 10 degrees\n"
    "either way) and prints the angle in degrees, clockwise positive. -o: writes the form with its picture\n"
    "turned back by that angle, as the Retouch tab's free rotation does on a white background; the fields stay\n"
    "where they are.\n",
    runDeskew};
