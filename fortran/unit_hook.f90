! The Fortran runtime's side of the output units. The library writes its
! documents through file descriptors of its own; when the program links this
! face, the library asks here whether the program's Fortran runtime holds a
! unit of the same number:
! - a unit the program connected before the plot opened (OPEN with FILE=,
!   OPEN without FILE, or a WRITE that connected fort.<n>) hands its file
!   over: the runtime flushes its lines, the library takes its own
!   descriptor of the same open file, and the runtime closes the unit
!   (keeping the file); the document continues where the unit stood;
! - a unit opened with position='append' keeps the whole file ahead of
!   the document; a unit whose file is named .pdf, .svg or .png gives the
!   document its name and format (its file is replaced when drawn);
! - lines the program wrote to units 6 and 0 are flushed before the
!   library writes to standard output or standard error.
! The library finds these routines by their C names; C and C++ programs,
! which do not link this face, go without them.
! The file of a connected unit, flushed. `fd` receives the runtime's file
! descriptor (valid until plume_fortran_close_unit), or -1 when the unit is
! not connected to a named file; `length` the length of the file name
! copied into `name` (at most `capacity` characters).
subroutine plume_fortran_unit_file(unit, name, capacity, length, fd) &
    bind(C, name='plume_fortran_unit_file')
  use, intrinsic :: iso_c_binding, only: c_char, c_int32_t
  implicit none
  integer(c_int32_t), value, intent(in) :: unit
  integer(c_int32_t), value, intent(in) :: capacity
  character(kind=c_char), intent(out) :: name(capacity)
  integer(c_int32_t), intent(out) :: length, fd
  character(len=4096) :: file_name
  logical :: connected, named
  integer :: status, i

  fd = -1
  length = 0
  inquire(unit=unit, opened=connected, named=named, name=file_name, iostat=status)
  ! A scratch unit has no file to keep: it is left alone.
  if (status /= 0 .or. .not. connected .or. .not. named) return
  flush(unit, iostat=status)
  if (status /= 0) return
  fd = fnum(unit)
  length = min(len_trim(file_name), int(capacity))
  do i = 1, length
    name(i) = file_name(i:i)
  end do
end subroutine plume_fortran_unit_file

! Disconnects the unit, keeping its file.
subroutine plume_fortran_close_unit(unit) bind(C, name='plume_fortran_close_unit')
  use, intrinsic :: iso_c_binding, only: c_int32_t
  implicit none
  integer(c_int32_t), value, intent(in) :: unit
  integer :: status

  close(unit, status='keep', iostat=status)
end subroutine plume_fortran_close_unit

! Writes out what the runtime holds buffered for a connected unit.
subroutine plume_fortran_flush_unit(unit) bind(C, name='plume_fortran_flush_unit')
  use, intrinsic :: iso_c_binding, only: c_int32_t
  implicit none
  integer(c_int32_t), value, intent(in) :: unit
  logical :: connected
  integer :: status

  inquire(unit=unit, opened=connected, iostat=status)
  if (status == 0 .and. connected) flush(unit, iostat=status)
end subroutine plume_fortran_flush_unit

! 1 when the unit was opened with position='append' and has written nothing
! since (the runtime then seeks to the file's end only at its first write),
! or stands at the end anyway; 0 otherwise.
function plume_fortran_unit_appends(unit) result(appends) bind(C, name='plume_fortran_unit_appends')
  use, intrinsic :: iso_c_binding, only: c_int32_t
  implicit none
  integer(c_int32_t), value, intent(in) :: unit
  integer(c_int32_t) :: appends
  character(len=16) :: position
  integer :: status

  appends = 0
  inquire(unit=unit, position=position, iostat=status)
  if (status == 0 .and. position == 'APPEND') appends = 1
end function plume_fortran_unit_appends
