#pragma once

// The failures the image services report. Like the services they stand in for, they answer
// HTTP 200 and put the failure in the body as error_code and error_msg.
struct ImageError {
    int code = 0;
    const char *message = "";

    static constexpr int kInvalidTokenCode = 110;
    static constexpr int kInvalidParamCode = 216100;
    static constexpr int kMissingParametersCode = 282003;
    static constexpr int kBadRequestCode = 282004;

    static constexpr ImageError InvalidToken() { return {kInvalidTokenCode, "Access token invalid or no longer valid"}; }
    static constexpr ImageError InvalidParam() { return {kInvalidParamCode, "invalid param"}; }
    static constexpr ImageError MissingParameters() { return {kMissingParametersCode, "missing parameters"}; }
    static constexpr ImageError InvalidJson() { return {kBadRequestCode, "invalid json"}; }
    static constexpr ImageError TaskNotFound() { return {kBadRequestCode, "task not found"}; }
};
