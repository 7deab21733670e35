#include "GeneratedForms.h"

#include "imgrove/Dib.h"
#include "vision/Deskew.h"
#include "vision/FieldDetection.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstring>
#include <map>

namespace {

// The proposal overlapping a true field by 0.8 of their union, or null.
const FieldProposal* matchOf(const TrueField& truth, const std::vector<FieldProposal>& proposals)
{
    for (const FieldProposal& p : proposals)
        if (overlapRatio(truth.rect, p.rect) >= 0.8)
            return &p;
    return nullptr;
}

bool matchesAnyTruth(const FieldProposal& p, const std::vector<TrueField>& truths)
{
    for (const TrueField& t : truths)
        if (overlapRatio(t.rect, p.rect) >= 0.8)
            return true;
    return false;
}

struct SkewCase {
    double degrees;
    double ppi;
    ScanMarks marks;
};

class SkewMeasure : public testing::TestWithParam<SkewCase> {};

TEST_P(SkewMeasure, FindsTheAngleAndStraighteningTakesItOut)
{
    const SkewCase& c = GetParam();
    const GeneratedForm form = generatedForm(c.ppi, FormLanguage::English);
    ScanMarks marks = c.marks;
    marks.skewDegrees = c.degrees;
    DibOwner scan(dibFromGray(scannedPage(form.page, marks), form.pixelsPerMm));
    const SkewMeasurement measured = measureSkew(scan.get());
    ASSERT_TRUE(measured.degrees) << measured.error;
    EXPECT_NEAR(*measured.degrees, c.degrees, 0.1);

    DibOwner straight(straightenedDib(scan.get(), *measured.degrees));
    ASSERT_TRUE(straight);
    const SkewMeasurement after = measureSkew(straight.get());
    ASSERT_TRUE(after.degrees);
    EXPECT_NEAR(*after.degrees, 0, 0.1);
    // The corners the turn brings in are white.
    if (std::abs(c.degrees) >= 0.5) {
        EXPECT_EQ(dibColors(straight.get())[getpixel(straight.get(), 0, 0)].rgbRed, 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Angles, SkewMeasure,
                         testing::Values(SkewCase{0, 150, {}}, SkewCase{0.7, 150, {}}, SkewCase{-2.3, 200, {}},
                                         SkewCase{3, 150, {.paperGrey = 200, .blurSigmaPx = 1, .noiseSigma = 8}},
                                         SkewCase{-6.5, 150, {}}, SkewCase{9.5, 150, {.jpegQuality = 60}}));

struct KindCase {
    const char* what;
    double ppi;
    FormLanguage language;
    ScanMarks marks;
    int variant;
    // Names are compared on clean pages; on scanned ones the reading is measured in bench/.
    bool namesExact = true;
};

class FieldKinds : public testing::TestWithParam<KindCase> {};

// Every printed field is found as its kind and named after its label; nothing else is proposed.
TEST_P(FieldKinds, FindsEveryFieldWithItsKindAndName)
{
    const KindCase& c = GetParam();
    const GeneratedForm form = generatedForm(c.ppi, c.language, c.variant);
    DibOwner scan(dibFromGray(scannedPage(form.page, c.marks), form.pixelsPerMm));
    DetectionOptions options;
    options.language = c.language == FormLanguage::German ? "deu" : "eng";
    const DetectionResult result = detectFields(scan.get(), options);
    ASSERT_TRUE(result.error.empty()) << result.error;
    for (const TrueField& truth : form.fields) {
        const FieldProposal* found = matchOf(truth, result.proposals);
        ASSERT_NE(found, nullptr) << truth.name << " at " << truth.rect.left << "," << truth.rect.top;
        EXPECT_EQ(proposalKindName(found->kind), std::string(proposalKindName(truth.kind))) << truth.name;
        if (c.namesExact) {
            EXPECT_EQ(found->name, truth.name);
        }
        EXPECT_EQ(found->combCells, truth.cells) << truth.name;
    }
    for (const FieldProposal& p : result.proposals)
        EXPECT_TRUE(matchesAnyTruth(p, form.fields)) << "false proposal " << p.name << " at " << p.rect.left << ","
                                                     << p.rect.top << " " << p.rect.width() << "x" << p.rect.height();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FieldKinds,
    testing::Values(KindCase{"clean English", 200, FormLanguage::English, {}, 0},
                    KindCase{"clean German", 300, FormLanguage::German, {}, 1},
                    KindCase{"scanned English",
                             200,
                             FormLanguage::English,
                             {.paperGrey = 215, .blurSigmaPx = 0.8, .noiseSigma = 6, .jpegQuality = 60},
                             2,
                             false}),
    [](const testing::TestParamInfo<KindCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        return name;
    });

TEST(FieldDetection, FieldsAlreadyOnTheFormAreNotProposedAndTheirNamesCountAsTaken)
{
    const GeneratedForm form = generatedForm(200, FormLanguage::English);
    DibOwner scan(dibFromGray(form.page, form.pixelsPerMm));
    DetectionOptions options;
    options.existing = {form.fields[0].rect, form.fields[1].rect};
    options.takenNames = {"Date of birth"};
    const DetectionResult result = detectFields(scan.get(), options);
    EXPECT_EQ(matchOf(form.fields[0], result.proposals), nullptr);
    EXPECT_EQ(matchOf(form.fields[1], result.proposals), nullptr);
    const FieldProposal* third = matchOf(form.fields[2], result.proposals);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->name, "Date of birth 2");
    EXPECT_EQ(result.proposals.size(), form.fields.size() - 2);
}

struct BadCase {
    const char* what;
    int width;
    int height;
    int bits;
    enum class Fill { White, Photo, Noise } fill;
    const char* error;  // expected message, or "" for a search that finds nothing
};

class BadPictures : public testing::TestWithParam<BadCase> {};

TEST_P(BadPictures, GiveNoProposals)
{
    const BadCase& c = GetParam();
    DibOwner picture(newdib(c.width, c.height, c.bits, nullptr, 0));
    ASSERT_TRUE(picture);
    Dib& dib = picture.get();
    if (c.fill == BadCase::Fill::White) {
        std::memset(dib.bits, 0xFF, size_t(dib.rowSize) * size_t(c.height));
    } else if (c.fill == BadCase::Fill::Noise) {
        cv::RNG rng(3);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                setpixel(dib, x, y, rng.uniform(0, 2) ? 0xFFFFFFu : 0u);
    } else {
        // Soft shapes with fur-like grain, the way a photograph looks to the search.
        cv::Mat grain(c.height, c.width, CV_8U);
        cv::RNG rng(7);
        rng.fill(grain, cv::RNG::UNIFORM, 0, 255);
        cv::Mat shapes;
        cv::GaussianBlur(grain, shapes, cv::Size(), 40);
        cv::normalize(shapes, shapes, 0, 255, cv::NORM_MINMAX);
        cv::Mat fine;
        cv::GaussianBlur(grain, fine, cv::Size(), 1.5);
        cv::addWeighted(shapes, 0.8, fine, 0.4, -40, shapes);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                setpixel(dib, x, y, uint32_t(shapes.at<uint8_t>(y, x)) * 0x010101u);
    }
    DetectionOptions options;
    options.language.clear();
    const DetectionResult result = detectFields(dib, options);
    EXPECT_TRUE(result.proposals.empty());
    EXPECT_EQ(result.error, c.error);
    EXPECT_FALSE(measureSkew(dib).degrees);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadPictures,
    testing::Values(BadCase{"one_pixel", 1, 1, 24, BadCase::Fill::White, kPictureTooSmallMessage},
                    BadCase{"empty_page", 1654, 2339, 8, BadCase::Fill::White, ""},
                    BadCase{"huge", 20000, 20000, 1, BadCase::Fill::White, ""},
                    BadCase{"photo", 1200, 900, 24, BadCase::Fill::Photo, ""},
                    BadCase{"noise", 1200, 900, 24, BadCase::Fill::Noise, kNotAFormMessage}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.what); });

TEST(FieldDetection, StopsWhenTheProgressSaysSo)
{
    const GeneratedForm form = generatedForm(150, FormLanguage::English);
    DibOwner scan(dibFromGray(form.page, form.pixelsPerMm));
    int calls = 0;
    const DetectionResult result = detectFields(scan.get(), {}, [&](int) { return ++calls < 3; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.proposals.empty());
    EXPECT_EQ(calls, 3);
}

TEST(FieldDetection, AnUninstalledLanguageIsRefused)
{
    const GeneratedForm form = generatedForm(100, FormLanguage::English);
    DibOwner scan(dibFromGray(form.page, form.pixelsPerMm));
    DetectionOptions options;
    options.language = "xyz";
    EXPECT_EQ(detectFields(scan.get(), options).error, "The text recognition language \"xyz\" is not installed.");
}

struct NameCase {
    std::vector<FieldProposal> proposals;
    std::vector<std::string> taken;
    std::vector<std::string> names;
};

TEST(FieldNames, CleanedNumberedAndFlagged)
{
    const auto p = [](const char* label, ProposalKind kind = ProposalKind::Box, int cells = 0) {
        FieldProposal proposal;
        proposal.label = label;
        proposal.kind = kind;
        proposal.combCells = cells;
        return proposal;
    };
    const NameCase cases[] = {
        {{p("Date of birth:\n"), p("  Surname : "), p("| Phone |"), p("")}, {}, {"Date of birth", "Surname", "Phone", "Field 4"}},
        {{p("Name"), p("Name"), p("Name:")}, {}, {"Name", "Name 2", "Name 3"}},
        {{p("Name")}, {"Name", "Name 2"}, {"Name 3"}},
        {{p("Postcode", ProposalKind::Comb, 5), p("", ProposalKind::Comb, 3)}, {}, {"Postcode [comb 5]", "Field 2 [comb 3]"}},
        {{p("Date (DD.MM.YYYY):"), p("Straße und\nHausnummer:"), p("...:")}, {}, {"Date (DD.MM.YYYY)", "Straße und Hausnummer", "Field 3"}},
        {{p("Total amount payable to the tax office of the district in which you live:")},
         {},
         {"Total amount payable to the tax office of the district in"}},
    };
    for (const NameCase& c : cases) {
        std::vector<FieldProposal> proposals = c.proposals;
        nameProposals(proposals, c.taken);
        std::vector<std::string> names;
        for (const FieldProposal& proposal : proposals)
            names.push_back(proposal.name);
        EXPECT_EQ(names, c.names);
    }
}

TEST(FieldNames, FontSizeFitsTheHeight)
{
    const double perMm = 300 / 25.4;
    // height mm -> points
    const std::pair<double, int> cases[] = {{8, 14}, {5, 9}, {2, 6}, {60, 48}};
    for (const auto& [mm, points] : cases)
        EXPECT_EQ(fittingFontPoints(int32_t(std::lround(mm * perMm)), perMm), points) << mm;
}

}  // namespace
