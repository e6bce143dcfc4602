// Where this build put the programs that tests start, and the folder where tests leave what a
// person should look at. The paths are compiled into built_programs.cpp alone, so the test files
// hold no path of the checkout: they compile to the same bytes in every clone, and the compiler
// cache serves a fresh clone from what an earlier one compiled.
#pragma once

// The transmitter simulator: the native one, also for builds whose own programs run emulated.
const char* SimulatorProgram();
// qx7ctl of this build.
const char* Qx7ctlProgram();
// The MQTT sink's test driver; empty in a build without the MQTT sink.
const char* MqttSinkDriverProgram();
// The build's folder for rendered certificate pages.
const char* CertificateFolder();
