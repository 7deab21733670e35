#include "vision/LabelReader.h"

#include "vision/FieldDetection.h"

#include <opencv2/imgproc.hpp>
#include <tesseract/baseapi.h>

#include <algorithm>
#include <cmath>

namespace {

// Tesseract reads best when capitals stand about this many pixels high.
constexpr double kReadingLineHeight = 48;

}  // namespace

LabelReader::LabelReader() = default;

LabelReader::~LabelReader()
{
    if (api_)
        api_->End();
}

bool LabelReader::open(const std::string& language)
{
    api_ = std::make_unique<tesseract::TessBaseAPI>();
    open_ = api_->Init(nullptr, language.c_str(), tesseract::OEM_LSTM_ONLY) == 0;
    if (!open_) {
        api_.reset();
        return false;
    }
    api_->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    api_->SetVariable("debug_file", "/dev/null");
    return true;
}

std::string LabelReader::read(const cv::Mat& gray, const cv::Rect& area, double pixelsPerMm)
{
    if (!open_)
        return {};
    const int margin = std::max(2, int(std::lround(pixelsPerMm * 1.0)));
    const cv::Rect padded = (area + cv::Size(2 * margin, 2 * margin) - cv::Point(margin, margin)) &
                            cv::Rect(0, 0, gray.cols, gray.rows);
    if (padded.empty())
        return {};
    cv::Mat crop;
    const double scale = std::clamp(kReadingLineHeight / std::max(1, area.height), 1.0, 4.0);
    if (scale > 1.01)
        cv::resize(gray(padded), crop, cv::Size(), scale, scale, cv::INTER_CUBIC);
    else
        crop = gray(padded).clone();
    // The paper white, the ink as dark as it is: grey paper reads like white paper.
    int histogram[256] = {};
    for (int y = 0; y < crop.rows; ++y)
        for (int x = 0; x < crop.cols; ++x)
            ++histogram[crop.at<uint8_t>(y, x)];
    int paper = 255;
    for (int level = 255, seen = 0; level > 0; --level) {
        const int quarter = int(crop.total() / 4);
        seen += histogram[level];
        if (seen >= quarter) {
            paper = std::max(level, 64);
            break;
        }
    }
    crop.convertTo(crop, CV_8U, 255.0 / paper);
    // Tesseract reads a lone word better with a clear margin around it.
    cv::copyMakeBorder(crop, crop, 12, 12, 12, 12, cv::BORDER_CONSTANT, cv::Scalar(255));
    api_->SetImage(crop.data, crop.cols, crop.rows, 1, int(crop.step));
    api_->SetSourceResolution(int(std::lround(pixelsPerMm * scale * 25.4)));
    std::unique_ptr<char[]> text(api_->GetUTF8Text());
    api_->Clear();
    return text ? std::string(text.get()) : std::string();
}

std::vector<std::string> installedOcrLanguages()
{
    std::vector<std::string> languages;
    tesseract::TessBaseAPI api;
    if (api.Init(nullptr, nullptr) == 0)
        api.GetAvailableLanguagesAsVector(&languages);
    api.End();
    languages.erase(std::remove(languages.begin(), languages.end(), "osd"), languages.end());
    std::sort(languages.begin(), languages.end());
    return languages;
}
