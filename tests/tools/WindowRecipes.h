// A small valid input for every tool window of the catalogue, and the commands that compute it:
// the fields to set, the rows of its tables, the buttons to press and what the drawing window
// answers to the drawing tools. Shared by the window tests that need each window computed once.
#pragma once

#include "support/WindowTestSupport.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace quorvil::test {

struct Recipe {
    QList<QPair<QString, QString>> fields;
    QList<QPair<QString, QList<QStringList>>> tables;
    QStringList presses;
    // What the drawing window answers to the prompts of the presses (the drawing tools).
    QList<ScriptedCadSession::Answer> drawing;
};

inline QHash<QString, Recipe> Recipes()
{
    const QList<QStringList> planeRow = {{"P1", "3380000", "500000", "10"}};
    const QList<QStringList> geodeticRow = {{"P1", "30.3", "114.2", "10"}};
    const QList<QStringList> connecting = {{"A", "", "", "5000", "5000"},
                                           {"B", "135.0006", "141.425", "5000", "5100"},
                                           {"P1", "225.0000", "100.002", "", ""},
                                           {"C", "224.5957", "", "5100", "5300"},
                                           {"D", "", "", "5000", "5400"}};
    const QList<QStringList> coordinateConnecting = {{"A", "", "", "", "5000", "5000", ""},
                                                     {"B", "", "", "", "5000", "5100", "50"},
                                                     {"P1", "5100.004", "5200.003", "51.234", "", "", ""},
                                                     {"C", "5100.010", "5300.002", "52.010", "5100", "5300", "52"},
                                                     {"D", "5000.012", "5400.005", "", "5000", "5400", ""}};
    return {
        {"TFormGSZS", {{{"EditLL", "114"}}, {{"StringGrid1", {{"P1", "35", "117"}}}}, {"ToolButton6"}}},
        {"TFormGSFS", {{{"EditLL", "114"}}, {{"StringGrid1", {{"P1", "3878776.946", "38773912.254"}}}}, {"ToolButton6"}}},
        {"TFormZBHD",
         {{{"EditLL", "114"}, {"EditLL2", "117"}}, {{"StringGrid1", {{"P", "3878776.946", "38773912.254"}}}}, {"ToolButton6"}}},
        {"TFormTQZH", {{{"EditLL1", "114"}}, {{"StringGrid1", planeRow}}, {"ToolButton6"}}},
        {"TFormTQdTOp", {{{"EditLL1", "114"}}, {{"StringGrid1", geodeticRow}}, {"ToolButton6"}}},
        {"TFormTQpTOd", {{{"EditLL1", "114"}}, {{"StringGrid1", planeRow}}, {"ToolButton6"}}},
        {"TFormTQdTOd", {{}, {{"StringGrid1", geodeticRow}}, {"ToolButton6"}}},
        {"TFormHXZH", {{}, {{"StringGrid1", {{"P1", "121.5272106", "31.1774276"}, {"P2", "2.35", "48.85"}}}}, {"ToolButton6"}}},
        {"TFormGCDC",
         {{{"EditXm", "35"}, {"EditYm", "50000"}, {"EditHm", "100"}},
          {{"StringGrid1", {{"A", "3878776.946", "773912.254"}}}},
          {"Button2", "Button1", "ToolButton6"}}},
        {"TFormPMZH",
         {{{"EditUo", "0"}, {"EditVo", "0"}, {"EditXo", "100"}, {"EditYo", "100"}, {"EditUt", "100"}, {"EditVt", "0"},
           {"EditXt", "200"}, {"EditYt", "100"}, {"EditZo", "0"}, {"EditHo", "1"}},
          {{"StringGrid1", {{"P", "50", "50", "10"}}}},
          {"Button6", "ToolButton6"}}},
        {"TFormGCNH",
         {{},
          {{"StringGrid1",
            {{"A", "4400000", "440000", "40.100", "50", ""}, {"B", "4402000", "440000", "40.120", "50", ""},
             {"C", "4402000", "442000", "40.150", "50", ""}, {"D", "4400000", "442000", "40.125", "50", ""},
             {"E", "4401000", "441000", "40.126", "50", ""}, {"J1", "4400500", "440500", "40.110", "50", "检核"}}},
           {"StringGrid2", {{"P", "4401000", "441000", "45"}}}},
          {"ToolButton6"}}},
        {"TFormPMZH2",
         {{},
          {{"StringGrid1", {{"A", "10", "0", "0", "110", "-50", "2"}, {"B", "0", "10", "0", "100", "-40", "2"}}},
           {"StringGrid2", {{"P", "5", "5", "1"}}}},
          {"ToolButton6", "ToolButton7"}}},
        {"TFormBJFH", {{}, {{"StringGrid1", connecting}}, {"ToolButton6"}}},
        {"TFormDBFH",
         {{},
          {{"StringGrid1",
            {{"A", "", "", "0", "0"}, {"B", "180", "100.002", "100", "0"}, {"P1", "270", "100.001", "", ""}, {"C", "", "", "200", "100"}}}},
          {"ToolButton6"}}},
        {"TFormWDX",
         {{},
          {{"StringGrid1",
            {{"B", "37.1512", "150.003", "1000", "1000"}, {"P1", "200.3010", "120.497", "", ""}, {"P2", "150.0000", "99.998", "", ""},
             {"C", "", "", "1200.555", "1291.871"}}}},
          {"ToolButton6"}}},
        {"TFormZDX",
         {{}, {{"StringGrid1", {{"A", "", "", "0", "0"}, {"B", "90", "10", "0", "10"}, {"P1", "", "", "", ""}}}}, {"ToolButton6"}}},
        {"TFormZBFH", {{}, {{"StringGrid1", coordinateConnecting}}, {"ToolButton6"}}},
        {"TFormZBFH1", {{}, {{"StringGrid1", coordinateConnecting.mid(0, 4)}}, {"ToolButton6"}}},
        {"TFormZBwdx",
         {{},
          {{"StringGrid1",
            {{"B", "100", "100", "10", "5000", "5100", "50"}, {"P1", "118.463", "240.208", "11.236", "", "", ""},
             {"C", "57.577", "319.555", "12.011", "5100", "5300", "52"}}}},
          {"ToolButton6"}}},
        {"TFormGCFH",
         {{},
          {{"StringGrid1", {{"BM1", "1.2", "0.505", "", "100.000"}, {"P1", "0.8", "0.503", "", ""}, {"BM2", "", "", "", "101.000"}}}},
          {"ToolButton6"}}},
        {"TFormKZWPC",
         {{},
          {{"StringGridKnown", {{"A", "0", "0", "", ""}, {"B", "0", "100", "", ""}}},
           {"StringGridObs",
            {{"A", "", "P", "边长", "70.71068", "", ""}, {"B", "", "P", "边长", "70.71068", "", ""}, {"A", "B", "P", "角度", "315", "", ""}}}},
          {"ToolButton4"}}},
        {"TFormGCSB",
         {{},
          {{"StringGrid1",
            {{"S", "1.5", "A", "1.6", "1", "左", "0.0000", "90.0000", "100"}, {"S", "1.5", "B", "1.6", "1", "左", "90.0000", "90.0000", "100"},
             {"S", "1.5", "B", "1.6", "1", "右", "270.0000", "270.0000", "100"},
             {"S", "1.5", "A", "1.6", "1", "右", "180.0000", "270.0000", "100"}}},
           {"StringGridKnown", {{"S", "3380000", "500000", "10"}, {"A", "3380100", "500000", "10"}}}},
          {"ToolButton2"}}},
        {"TFormGNSS",
         {{{"EditFixX", "-2421598.6"}, {"EditFixY", "4671737.3"}, {"EditFixZ", "3592303.0"}, {"EditLL", "117"}},
          {{"StringGridBaselines",
            {{"1", "A", "B", "-1799.78453", "-891.05677", "195.58602", "0.003", "0.004", "0.003", "0.3", "-0.2", "0.4"},
             {"1", "B", "C", "588.50127", "-916.32299", "1680.1294", "0.003", "0.004", "0.003", "0.3", "-0.2", "0.4"},
             {"1", "A", "C", "-1211.28333", "-1807.38072", "1875.71343", "0.003", "0.004", "0.003", "0.3", "-0.2", "0.4"}}}},
          {"ToolButton4"}}},
        {"TFormZBZFS", {{{"Edit1", "0"}, {"Edit2", "0"}, {"Edit3", "100"}, {"Edit4", "100"}}, {}, {"Button1"}}},
        {"TFormJZBCL",
         {{{"Edit1", "1000"}, {"Edit2", "1000"}, {"Edit5", "50"}, {"Edit7", "1.5"}, {"Edit6", "0"}, {"Edit8", "0"}},
          {{"StringGrid1", {{"P1", "", "30.0000", "100", "0", "1.5"}}}},
          {"ToolButton7"}}},
        {"TFormTFH", {{{"EditE", "114"}, {"EditN", "34"}}, {}, {"Button4"}}},
        {"TFormCADpoint",
         {{}, {}, {"Button8"},
          {ScriptedCadSession::text("Y"), ScriptedCadSession::text(""), ScriptedCadSession::point(500100, 3380200, 10)}}},
        {"TFormBZBL",
         {{{"EditTxtH", "3"}, {"EditYY", "38000000"}},
          {},
          {"Button1"},
          {ScriptedCadSession::point(500100, 3380200), ScriptedCadSession::point(500120, 3380210)}}},
        {"TFormDLXPDB", {{}, {{"StringGrid1", {{"A", "0", "0"}, {"B", "3", "4"}, {"C", "6", "0"}}}}, {"ToolButton7"}}},
    };
}

} // namespace quorvil::test
