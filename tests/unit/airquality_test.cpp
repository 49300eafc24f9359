#include "weather/airquality.h"

#include <gtest/gtest.h>

using namespace vemora;

namespace {

// An answer of the air-quality service with the given current values.
std::string AirBody(const std::string& current) {
    return R"({"latitude":28.2,"current_units":{"pm2_5":"μg/m³","carbon_monoxide":"μg/m³"},)"
           R"("current":{"time":"2025-10-18T14:00","interval":3600,)" +
           current + "}}";
}

} // namespace

// The index from recorded concentrations (µg/m³, carbon monoxide too), as the
// answer gives them; "" when there is no air part.
TEST(AirQuality, IndexCategoryAndPrimaryPollutantFromTheAnswer) {
    struct Case {
        const char* what;
        std::string current;
        const char* shown;
    };
    const Case cases[] = {
        {"PM2.5 leads", R"("pm2_5":60,"pm10":72.4,"ozone":96,"nitrogen_dioxide":31.2,"sulphur_dioxide":8.1,
            "carbon_monoxide":620)",
         "空气质量：良 82，首要污染物 PM2.5"},
        {"PM10 leads", R"("pm2_5":20,"pm10":200)", "空气质量：轻度污染 125，首要污染物 PM10"},
        {"SO2 leads", R"("pm2_5":20,"sulphur_dioxide":600)", "空气质量：轻度污染 134，首要污染物 SO2"},
        {"NO2 leads", R"("pm2_5":20,"nitrogen_dioxide":900)", "空气质量：中度污染 170，首要污染物 NO2"},
        {"CO leads, read in mg/m³", R"("pm2_5":20,"carbon_monoxide":65000)", "空气质量：重度污染 217，首要污染物 CO"},
        {"O3 leads", R"("pm2_5":20,"ozone":900)", "空气质量：严重污染 350，首要污染物 O3"},
        {"at a breakpoint: 优, no primary", R"("pm2_5":35,"pm10":10)", "空气质量：优 50"},
        {"just over it: 良", R"("pm2_5":35.1)", "空气质量：良 51，首要污染物 PM2.5"},
        {"two lead together", R"("pm2_5":75,"pm10":150)", "空气质量：良 100，首要污染物 PM2.5、PM10"},
        {"beyond the top breakpoint", R"("pm2_5":640)", "空气质量：严重污染 500，首要污染物 PM2.5"},
        {"SO2 above 800 is not used", R"("pm2_5":10,"sulphur_dioxide":900)", "空气质量：优 15"},
        {"nulls and odd values left out", R"("pm2_5":null,"pm10":40,"ozone":-3,"carbon_monoxide":"x")",
         "空气质量：优 40"},
        {"no pollutant at all", R"("pm2_5":null,"pm10":null)", ""},
    };
    for (const Case& c : cases) {
        const AirQualityAnswer answer = ParseAirQualityAnswer(200, AirBody(c.current));
        const std::optional<AirQuality> air = answer.reading ? ComputeAqi(*answer.reading) : std::nullopt;
        EXPECT_EQ(air ? AirQualityText(*air) : "", c.shown) << c.what;
        EXPECT_EQ(answer.error.problem, *c.shown ? AnswerProblem::None : AnswerProblem::Incomplete) << c.what;
    }
}
