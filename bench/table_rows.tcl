# a table of one hundred thousand rows, then the second column of every row summed
set table ""
for {set i 0} {$i < 100000} {incr i} {
    append table $i , [expr {$i * 2}] \n
}
set rows {}
foreach line [split [string trimright $table \n] \n] {
    lappend rows [split $line ,]
}
set total 0
for {set i 0} {$i < 100000} {incr i} {
    set total [expr {$total + [lindex $rows $i 1]}]
}
puts $total
