// Native exceptions become Python exceptions: selection faults ValueError,
// other standard exceptions RuntimeError with their text, anything else
// RuntimeError "Unknown C++ exception".
%exception {
    try {
        $action
    } catch (const KaSel::SelectionError& e) {
        SWIG_exception_fail(SWIG_ValueError, e.what());
    } catch (const std::exception& e) {
        SWIG_exception_fail(SWIG_RuntimeError, e.what());
    } catch (...) {
        SWIG_exception_fail(SWIG_RuntimeError, "Unknown C++ exception");
    }
}
