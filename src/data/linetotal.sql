-- 税込合計 of one sales or purchase line (alias d): (単価 + 税額) × 数量 rounded
-- once, at the line, to a whole yen, halves away from zero, as ten-thousandths;
-- every sum above a line (slip totals, lists, ledgers, bills) then adds whole
-- yen. This is the one text of the rule in SQL: the build puts it (without
-- these comment lines) into the line views of keptslips.sql, and every other
-- reader of a line's total reads it through v_売上明細 / v_仕入明細. C++ has
-- the same rule in one function, LineTax::lineTotal.
-- The product p is in units of 1e-8 yen. The rounding works on p / 1e8 and its
-- remainder (integer division and % truncate toward zero), so no step adds to
-- p itself: the table's CHECK keeps p within 64 bits and nothing here leaves them.
((IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) / 100000000
 + CASE WHEN (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) % 100000000 >= 50000000 THEN 1
        WHEN (IFNULL(d.単価, 0) + IFNULL(d.税額, 0)) * IFNULL(d.数量, 0) % 100000000 <= -50000000 THEN -1
        ELSE 0 END) * 10000
